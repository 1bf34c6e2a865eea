#include "core/signal/IrDecoder.h"

#include "core/signal/ProtocolCodec.h"

namespace {

[[nodiscard]] std::optional<IrCode> decodeWith(const ProtocolCodec &codec, const QList<IrTiming::Pulse> &pulses)
{
    const std::optional<ProtocolCodec::Match> first = codec.first(pulses, 0);
    if (!first)
        return std::nullopt;
    IrCode code = first->code;
    int at = first->next;
    while (at < pulses.size()) {
        const std::optional<int> next = codec.repeat(pulses, at, code);
        if (!next)
            return std::nullopt;
        ++code.repeats;
        at = *next;
    }
    return code;
}

[[nodiscard]] bool sameKeyAnyToggle(const IrCode &a, const IrCode &b)
{
    return a.protocol == b.protocol && a.address == b.address && a.command == b.command;
}

} // namespace

QString IrDecode::summary() const
{
    switch (kind) {
    case Kind::Empty:
        return {};
    case Kind::Code:
        if (irProtocolInfo(code.protocol).hasToggle && !bothToggles)
            return code.text() + (code.toggle ? QStringLiteral(" T1") : QStringLiteral(" T0"));
        return code.text();
    case Kind::Raw:
        break;
    }
    const QString carrier = carrierHz == 0 ? QStringLiteral("no carrier")
                                           : QStringLiteral("%1 kHz").arg((carrierHz + 500) / 1000);
    return QStringLiteral("raw %1, %2 durations").arg(carrier).arg(durationCount);
}

std::optional<IrCode> IrDecoder::decode(const IrTiming &capture)
{
    const QList<IrTiming::Pulse> pulses = capture.pulses();
    if (pulses.isEmpty())
        return std::nullopt;
    for (const ProtocolCodec *codec : ProtocolCodec::all()) {
        if (const std::optional<IrCode> code = decodeWith(*codec, pulses))
            return code;
    }
    return std::nullopt;
}

IrDecode IrDecoder::decode(const IrBlock &block)
{
    const QList<IrTiming> captures = IrTiming::capturesOf(block);
    IrDecode result;
    if (captures.isEmpty())
        return result;
    result.kind = IrDecode::Kind::Raw;
    result.carrierHz = captures.first().carrierHz();
    result.durationCount = captures.first().durationCount();

    const std::optional<IrCode> first = decode(captures.first());
    if (!first)
        return result;
    if (captures.size() == 2) {
        const std::optional<IrCode> second = decode(captures.at(1));
        if (!second || !sameKeyAnyToggle(*first, *second))
            return result;
        result.bothToggles = first->toggle != second->toggle;
    }
    result.kind = IrDecode::Kind::Code;
    result.code = *first;
    return result;
}

QString IrDecoder::summary(const IrBlock &block)
{
    return decode(block).summary();
}
