#include "SignalSamples.h"

#include "core/signal/IrEncoder.h"
#include "core/signal/IrTolerance.h"

namespace SignalSamples {

namespace {

constexpr qint64 SilenceUs = 4000;

[[nodiscard]] quint32 between(quint32 low, quint32 high, QRandomGenerator &random)
{
    return low + quint32(random.bounded(quint64(high - low) + 1));
}

[[nodiscard]] qint64 scaled(qint64 us, int percent, QRandomGenerator &random)
{
    return (us * (1000 + random.bounded(-10 * percent, 10 * percent + 1)) + 500) / 1000;
}

} // namespace

IrCode randomCode(IrProtocol protocol, QRandomGenerator &random)
{
    const IrProtocolInfo &info = irProtocolInfo(protocol);
    IrCode code;
    do {
        code = {protocol, between(0, info.addressMax, random), between(info.commandMin, info.commandMax, random),
                random.bounded(2) == 1};
    } while (!code.error().isEmpty());
    return code;
}

IrTiming jittered(const IrTiming &timing, int percent, QRandomGenerator &random)
{
    QList<IrTiming::Pulse> pulses = timing.pulses();
    for (IrTiming::Pulse &pulse : pulses)
        pulse = {scaled(pulse.markUs, percent, random), scaled(pulse.spaceUs, percent, random)};
    return IrTiming::fromMicros(timing.carrierHz(), pulses, timing.repeatStart(), timing.repeatEnd(),
                                scaled(timing.leadInMicros(), percent, random))
        .value();
}

IrBlock jitteredTable(IrBlock block, int percent, QRandomGenerator &random)
{
    for (const int header : {0, IrBlock::SecondHeaderOffset}) {
        for (int at = header + 11; at < header + CaptureHeader::Size; at += 2) {
            const qint64 value = scaled(block.at(at) << 8 | block.at(at + 1), percent, random);
            block.set(at, uchar(value >> 8));
            block.set(at + 1, uchar(value));
        }
    }
    return block;
}

QString conformance(const IrTiming &capture, const IrCode &code)
{
    const IrResult<QList<IrTiming>> encoded = IrEncoder::timings(code);
    if (!encoded.isOk())
        return encoded.error();
    const IrTiming &expected = encoded.value().first();
    const QList<IrTiming::Pulse> want = expected.pulses().first(expected.repeatStart());
    const QList<IrTiming::Pulse> got = capture.pulses();
    if (got.size() < want.size())
        return QStringLiteral("%1 pulses, a key press has %2").arg(got.size()).arg(want.size());
    for (int i = 0; i < want.size(); ++i) {
        const bool silence = want[i].spaceUs >= SilenceUs;
        const bool spaceFits = silence ? got[i].spaceUs >= SilenceUs || i == got.size() - 1
                                       : IrTolerance::matches(got[i].spaceUs, want[i].spaceUs);
        if (!IrTolerance::matches(got[i].markUs, want[i].markUs) || !spaceFits) {
            return QStringLiteral("pulse %1 is %2/%3 us, %4 has %5/%6 us")
                .arg(i).arg(got[i].markUs).arg(got[i].spaceUs).arg(code.text())
                .arg(want[i].markUs).arg(want[i].spaceUs);
        }
    }
    return {};
}

} // namespace SignalSamples
