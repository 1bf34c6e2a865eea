#include "core/signal/IrEncoder.h"

#include "core/signal/IrBlockWriter.h"
#include "core/signal/ProtocolCodec.h"

IrResult<QList<IrTiming>> IrEncoder::timings(const IrCode &code)
{
    using Result = IrResult<QList<IrTiming>>;
    const QString error = code.error();
    if (!error.isEmpty())
        return Result::refused(error);

    const ProtocolCodec &codec = ProtocolCodec::forProtocol(code.protocol);
    QList<IrCode> variants{code};
    if (irProtocolInfo(code.protocol).hasToggle) {
        IrCode other = code;
        other.toggle = !code.toggle;
        variants.append(other);
    }
    QList<IrTiming> result;
    for (const IrCode &variant : variants) {
        const IrResult<IrTiming> timing = codec.encode(variant);
        if (!timing.isOk())
            return Result::refused(timing.error());
        result.append(timing.value());
    }
    return result;
}

IrResult<IrBlock> IrEncoder::block(const IrCode &code)
{
    const IrResult<QList<IrTiming>> captures = timings(code);
    if (!captures.isOk())
        return IrResult<IrBlock>::refused(captures.error());
    return IrBlockWriter::write(captures.value());
}
