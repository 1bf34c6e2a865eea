#include "core/signal/IrTiming.h"

#include "core/signal/WaveRenderer.h"

#include <limits>

namespace {

constexpr qint64 WordMax = std::numeric_limits<quint16>::max();
// With no carrier the module's bursts last 15 clock ticks, whatever the entry.
constexpr qint64 UnmodulatedBurstUs = 15 * 1200 / 2212;

[[nodiscard]] int capacityOf(const IrBlock &block)
{
    return block.isRc5Rc6() ? IrBlock::MaxSymbols / 2 : IrBlock::MaxSymbols;
}

[[nodiscard]] quint16 symbolAt(const IrBlock &block, int capture, int i)
{
    const int base = capture == 0 ? IrBlock::SymbolsOffset : IrBlock::SecondSymbolsOffset;
    const uchar byte = block.at(base + i / 2);
    return quint16(i % 2 == 0 ? (byte & 0x0F) : (byte >> 4));
}

[[nodiscard]] qint64 roundedDivision(qint64 numerator, qint64 denominator)
{
    return (numerator + denominator / 2) / denominator;
}

// Ticks of 9600/2212 us for the gap before mark index, refused past the
// 16-bit count.
[[nodiscard]] IrResult<quint16> gapTicks(qint64 us, int index)
{
    const qint64 ticks = roundedDivision(us * 2212, 9600);
    if (ticks > WordMax) {
        const QString what = index == 0 ? QStringLiteral("the lead-in")
                                        : QStringLiteral("the space after mark %1").arg(index);
        return IrResult<quint16>::refused(
            QStringLiteral("%1 of %2 us is %3 gap ticks; a gap holds at most %4 (%5 too many)")
                .arg(what).arg(us).arg(ticks).arg(WordMax).arg(ticks - WordMax));
    }
    return quint16(ticks);
}

[[nodiscard]] IrResult<quint16> burstPeriods(qint64 us, int period, int index)
{
    if (period == 0) {
        if (us > 2 * UnmodulatedBurstUs) {
            return IrResult<quint16>::refused(
                QStringLiteral("without a carrier every burst lasts %1 us; mark %2 lasts %3 us (%4 us too long)")
                    .arg(UnmodulatedBurstUs).arg(index + 1).arg(us).arg(us - UnmodulatedBurstUs));
        }
        return quint16(0);
    }
    const qint64 periods = roundedDivision(us * 2212, qint64(period) * 1200);
    if (periods > WordMax) {
        return IrResult<quint16>::refused(
            QStringLiteral("mark %1 of %2 us is %3 carrier periods; a burst holds at most %4 (%5 too many)")
                .arg(index + 1).arg(us).arg(periods).arg(WordMax).arg(periods - WordMax));
    }
    return quint16(periods);
}

} // namespace

IrTiming::IrTiming(int carrierPeriod, QList<IrDuration> symbols, int repeatStart, int repeatEnd)
    : m_carrierPeriod(carrierPeriod)
    , m_symbols(std::move(symbols))
    , m_repeatStart(repeatStart)
    , m_repeatEnd(repeatEnd)
{
}

IrTiming IrTiming::fromBlock(const IrBlock &block, int capture)
{
    const CaptureHeader header = block.header(capture);
    const int count = std::min<int>(header.symbolCount(), capacityOf(block));
    QList<IrDuration> symbols;
    symbols.reserve(count);
    for (int i = 0; i < count; ++i)
        symbols.append(header.duration(symbolAt(block, capture, i)));
    return IrTiming(header.carrierPeriod(), std::move(symbols), header.repeatStart(), header.repeatEnd());
}

QList<IrTiming> IrTiming::capturesOf(const IrBlock &block)
{
    if (!block.isValid())
        return {};
    if (block.isRc5Rc6())
        return {fromBlock(block, 0), fromBlock(block, 1)};
    return {fromBlock(block, 0)};
}

IrResult<int> IrTiming::carrierPeriodFor(int carrierHz)
{
    if (carrierHz < 0)
        return IrResult<int>::refused(QStringLiteral("carrier of %1 Hz is negative").arg(carrierHz));
    if (carrierHz == 0)
        return 0;
    const qint64 period = roundedDivision(ClockHz, carrierHz);
    if (period > MaxCarrierPeriod) {
        return IrResult<int>::refused(
            QStringLiteral("carrier of %1 Hz needs a period of %2 clock ticks; the module counts at most %3 "
                           "(%4 too many)")
                .arg(carrierHz).arg(period).arg(MaxCarrierPeriod).arg(period - MaxCarrierPeriod));
    }
    if (period < 1) {
        return IrResult<int>::refused(
            QStringLiteral("carrier of %1 Hz is above the module's clock of %2 Hz by %3 Hz")
                .arg(carrierHz).arg(ClockHz).arg(carrierHz - ClockHz));
    }
    return int(period);
}

IrResult<IrTiming> IrTiming::fromMicros(int carrierHz, const QList<Pulse> &pulses, int repeatStart, int repeatEnd,
                                        qint64 leadInUs)
{
    using Result = IrResult<IrTiming>;
    const IrResult<int> period = carrierPeriodFor(carrierHz);
    if (!period.isOk())
        return Result::refused(period.error());
    if (repeatStart < 0 || repeatStart > repeatEnd || repeatEnd > pulses.size()) {
        return Result::refused(QStringLiteral("repeated part %1..%2 is not within the %3 pulses")
                                   .arg(repeatStart).arg(repeatEnd).arg(pulses.size()));
    }

    QList<IrDuration> symbols;
    symbols.reserve(pulses.size());
    qint64 gapUs = leadInUs;
    for (int i = 0; i < pulses.size(); ++i) {
        const Pulse &pulse = pulses.at(i);
        if (gapUs < 0 || pulse.markUs < 0)
            return Result::refused(QStringLiteral("pulse %1 has a negative duration").arg(i + 1));
        const IrResult<quint16> gap = gapTicks(gapUs, i);
        if (!gap.isOk())
            return Result::refused(gap.error());
        const IrResult<quint16> burst = burstPeriods(pulse.markUs, period.value(), i);
        if (!burst.isOk())
            return Result::refused(burst.error());
        symbols.append({gap.value(), burst.value()});
        gapUs = pulse.spaceUs;
    }
    return IrTiming(period.value(), std::move(symbols), repeatStart, repeatEnd);
}

int IrTiming::carrierHz() const
{
    return m_carrierPeriod == 0 ? 0 : ClockHz / m_carrierPeriod;
}

bool IrTiming::hasRepeat() const
{
    return m_repeatStart >= 0 && m_repeatStart < m_repeatEnd && m_repeatEnd <= size();
}

qint64 IrTiming::gapMicros(int symbol) const
{
    return WaveRenderer::gapMicros(m_symbols.at(symbol).gap);
}

qint64 IrTiming::burstMicros(int symbol) const
{
    return WaveRenderer::burstMicros(m_symbols.at(symbol).burst, uchar(m_carrierPeriod));
}

qint64 IrTiming::leadInMicros() const
{
    return m_symbols.isEmpty() ? 0 : gapMicros(0);
}

qint64 IrTiming::leadOutMicros() const
{
    return hasRepeat() && m_repeatStart > 0 ? gapMicros(m_repeatStart) : FixedLeadOutUs;
}

QList<IrTiming::Pulse> IrTiming::pulses() const
{
    QList<Pulse> result;
    result.reserve(size());
    for (int i = 0; i < size(); ++i)
        result.append({burstMicros(i), i + 1 < size() ? gapMicros(i + 1) : leadOutMicros()});
    return result;
}

int IrTiming::durationCount() const
{
    return m_symbols.isEmpty() ? 0 : 2 * size() - 1;
}
