#pragma once

#include "core/signal/IrResult.h"
#include "core/signal/IrBlock.h"

#include <QList>

// One capture of a key as the module keeps it: the carrier period and the
// symbols in the module's own units (each a gap in ticks of 9600/2212 us, then
// a burst in carrier periods), with the repeated part marked. Reading a block
// and writing it back (IrBlockWriter) gives the same durations.
//
// Marks and spaces: the usual lists start with a mark and alternate. Symbol i
// is (gap i, burst i), so
//   - the first symbol's gap is the lead-in, the silence before the first mark;
//   - pulse i is (mark = burst i, space = gap i + 1);
//   - the last mark's space is not in the block: it is the gap before the
//     repeated part when that part starts after the first symbol, otherwise
//     the fixed lead-out (FixedLeadOutUs).
// Pulse indexes equal symbol indexes, so the repeated part is pulses
// repeatStart to repeatEnd - 1 too. Microseconds come from the same integer
// arithmetic that draws the waveform.
//
// An RC5/RC6 block holds two captures of the same key (a learn takes the key
// twice; the encoders store both toggle values): capturesOf lists both.
class IrTiming final
{
public:
    static constexpr int ClockHz = 1844000;
    static constexpr int MaxCarrierPeriod = 255;
    static constexpr qint64 FixedLeadOutUs = 100000;

    struct Pulse
    {
        qint64 markUs = 0;
        qint64 spaceUs = 0;

        friend bool operator==(const Pulse &, const Pulse &) = default;
    };

    IrTiming() = default;
    IrTiming(int carrierPeriod, QList<IrDuration> symbols, int repeatStart = 0, int repeatEnd = 0);

    // Capture 0 or 1 of a valid block. Symbols past the capture's capacity
    // (512 in a Normal block, 256 per capture of an RC5/RC6 block) are not
    // read: they belong to the other capture or lie outside the block.
    [[nodiscard]] static IrTiming fromBlock(const IrBlock &block, int capture);
    // No capture for an empty block, one for Normal, two for RC5/RC6.
    [[nodiscard]] static QList<IrTiming> capturesOf(const IrBlock &block);

    // Quantises marks and spaces (us) to the module's units. carrierHz 0 means
    // no carrier: every burst then lasts 8 us, so longer marks are refused, as
    // are a carrier whose period is outside 1..255 ticks, a duration past the
    // 16-bit counts and a repeated part outside the pulses. The last pulse's
    // space is not kept (see above).
    [[nodiscard]] static IrResult<IrTiming> fromMicros(int carrierHz, const QList<Pulse> &pulses, int repeatStart,
                                                       int repeatEnd, qint64 leadInUs = 0);
    // round(1,844,000 / carrierHz), 0 for no carrier; refused outside 1..255.
    [[nodiscard]] static IrResult<int> carrierPeriodFor(int carrierHz);

    [[nodiscard]] int carrierPeriod() const { return m_carrierPeriod; }
    // 1,844,000 / period, truncated, as the "Carry" field shows it; 0 for none.
    [[nodiscard]] int carrierHz() const;
    [[nodiscard]] const QList<IrDuration> &symbols() const { return m_symbols; }
    [[nodiscard]] int size() const { return int(m_symbols.size()); }
    [[nodiscard]] int repeatStart() const { return m_repeatStart; }
    [[nodiscard]] int repeatEnd() const { return m_repeatEnd; }
    [[nodiscard]] bool hasRepeat() const;

    [[nodiscard]] qint64 gapMicros(int symbol) const;
    [[nodiscard]] qint64 burstMicros(int symbol) const;
    [[nodiscard]] qint64 leadInMicros() const;
    [[nodiscard]] qint64 leadOutMicros() const;
    [[nodiscard]] QList<Pulse> pulses() const;
    // Marks and spaces of the signal without lead-in and lead-out: 2n - 1.
    [[nodiscard]] int durationCount() const;

    friend bool operator==(const IrTiming &, const IrTiming &) = default;

private:
    int m_carrierPeriod = 0;
    QList<IrDuration> m_symbols;
    int m_repeatStart = 0;
    int m_repeatEnd = 0;
};
