#include "modsim/LearnedCapture.h"

#include "core/signal/IrBlockWriter.h"
#include "core/signal/IrEncoder.h"

namespace LearnedCapture {

namespace {

// A capture as the module frames it: the header and the symbol bytes of the
// capture written as a Normal block.
[[nodiscard]] IrResult<QByteArray> frame(const IrTiming &timing)
{
    const IrResult<IrBlock> block = IrBlockWriter::write({timing});
    if (!block.isOk())
        return IrResult<QByteArray>::refused(block.error());
    const QByteArray bytes = block.value().toByteArray();
    return bytes.first(HeaderSize) + bytes.sliced(IrBlock::SymbolsOffset, DataSize);
}

} // namespace

IrResult<QByteArray> bytes(const IrKey &key, int irFormat)
{
    const IrResult<QList<IrTiming>> timings = IrEncoder::timings(key.code());
    if (!timings.isOk())
        return IrResult<QByteArray>::refused(timings.error());
    QList<IrTiming> presses{timings.value().first()};
    if (irFormat == 2)
        presses.append(timings.value().last());
    QByteArray result;
    for (const IrTiming &press : presses) {
        const IrResult<QByteArray> captured = frame(press);
        if (!captured.isOk())
            return captured;
        result += captured.value();
    }
    return result;
}

} // namespace LearnedCapture
