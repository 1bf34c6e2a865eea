#include "modsim/IrTimings.h"

#include <numeric>

namespace {

// Carrier on/off levels of a frame; neighbouring levels of one kind merge.
class LevelTrain final
{
public:
    void mark(int us) { add(true, us); }
    void space(int us) { add(false, us); }

    // Bi-phase bit: the first half's level is on for a 'mark first' bit.
    void biphase(bool markFirst, int halfUs)
    {
        if (markFirst) {
            mark(halfUs);
            space(halfUs);
        } else {
            space(halfUs);
            mark(halfUs);
        }
    }

    // Gap-then-burst pairs; the frame's leading and trailing silence is dropped.
    [[nodiscard]] QList<IrSymbol> symbols() const
    {
        QList<IrSymbol> result;
        int gap = 0;
        for (const Level &level : m_levels) {
            if (!level.on) {
                gap += level.us;
                continue;
            }
            result.append({result.isEmpty() ? 0 : gap, level.us});
            gap = 0;
        }
        return result;
    }

private:
    struct Level
    {
        bool on = false;
        int us = 0;
    };

    void add(bool on, int us)
    {
        if (!m_levels.isEmpty() && m_levels.last().on == on)
            m_levels.last().us += us;
        else
            m_levels.append({on, us});
    }

    QList<Level> m_levels;
};

[[nodiscard]] int lengthUs(const QList<IrSymbol> &symbols)
{
    return std::accumulate(symbols.cbegin(), symbols.cend(), 0,
                           [](int sum, const IrSymbol &s) { return sum + s.gapUs + s.burstUs; });
}

// The frame, then the repeated part starting one repeat period after the
// frame's start.
[[nodiscard]] IrCapture withRepeat(int carrierHz, const QList<IrSymbol> &frame, QList<IrSymbol> repeat,
                                   int periodUs)
{
    repeat.first().gapUs = periodUs - lengthUs(frame);
    IrCapture capture;
    capture.carrierHz = carrierHz;
    capture.symbols = frame + repeat;
    capture.repeatStart = int(frame.size());
    capture.repeatEnd = int(capture.symbols.size());
    return capture;
}

// NEC: 9 ms leader, 4.5 ms space, 32 bits LSB first (560 us burst, then a
// 560 us space for 0 or 1690 us for 1), a closing burst; repeat code 9 ms,
// 2.25 ms, 560 us every 108 ms.
[[nodiscard]] IrCapture necCapture(const IrKey &key)
{
    constexpr int Unit = 560;
    const quint32 address = key.address <= 0xFF ? quint32(key.address | (~key.address & 0xFF) << 8)
                                                : key.address;
    const quint32 command = key.command & 0xFF;
    const quint32 bits = address | command << 16 | (~command & 0xFF) << 24;

    LevelTrain frame;
    frame.mark(9000);
    frame.space(4500);
    for (int i = 0; i < 32; ++i) {
        frame.mark(Unit);
        frame.space((bits >> i & 1) ? 1690 : Unit);
    }
    frame.mark(Unit);

    LevelTrain repeat;
    repeat.mark(9000);
    repeat.space(2250);
    repeat.mark(Unit);
    return withRepeat(38000, frame.symbols(), repeat.symbols(), 108000);
}

// Sony SIRC, 12 bits: 2.4 ms header, then per bit LSB first a 600 us space
// and a burst of 600 us (0) or 1200 us (1): 7 command bits, 5 address bits;
// the frame repeats every 45 ms.
[[nodiscard]] IrCapture sonyCapture(const IrKey &key)
{
    const quint32 bits = (key.command & 0x7F) | (key.address & 0x1F) << 7;
    LevelTrain frame;
    frame.mark(2400);
    for (int i = 0; i < 12; ++i) {
        frame.space(600);
        frame.mark((bits >> i & 1) ? 1200 : 600);
    }
    const QList<IrSymbol> symbols = frame.symbols();
    return withRepeat(40000, symbols, symbols, 45000);
}

// RC5: 14 bi-phase bits of 2 x 889 us, MSB first, a one is space then burst:
// two start bits (the second is the inverted command bit 6), toggle,
// 5 address bits, 6 command bits; the frame repeats every 113.8 ms.
[[nodiscard]] IrCapture rc5Capture(const IrKey &key, bool toggle)
{
    constexpr int Half = 889;
    const quint32 bits = 1u << 13 | ((key.command & 0x40) ? 0u : 1u) << 12 | quint32(toggle) << 11
                         | (key.address & 0x1F) << 6 | (key.command & 0x3F);
    LevelTrain frame;
    for (int i = 13; i >= 0; --i)
        frame.biphase(!(bits >> i & 1), Half);
    const QList<IrSymbol> symbols = frame.symbols();
    return withRepeat(36000, symbols, symbols, 128 * Half);
}

// RC6 mode 0: 6T leader burst, 2T space, then bi-phase bits of 2 x T
// (T = 444 us, a one is burst then space): start bit 1, mode 000, the toggle
// as a double-length trailer bit, 8 address bits, 8 command bits; the frame
// repeats every 106.7 ms.
[[nodiscard]] IrCapture rc6Capture(const IrKey &key, bool toggle)
{
    constexpr int T = 444;
    LevelTrain frame;
    frame.mark(6 * T);
    frame.space(2 * T);
    frame.biphase(true, T);
    for (int i = 0; i < 3; ++i)
        frame.biphase(false, T);
    frame.biphase(toggle, 2 * T);
    const quint32 bits = (key.address & 0xFF) << 8 | (key.command & 0xFF);
    for (int i = 15; i >= 0; --i)
        frame.biphase(bits >> i & 1, T);
    const QList<IrSymbol> symbols = frame.symbols();
    return withRepeat(36000, symbols, symbols, 240 * T);
}

} // namespace

IrCapture irKeyCapture(const IrKey &key, bool toggle)
{
    switch (key.protocol) {
    case IrProtocol::Sony:
        return sonyCapture(key);
    case IrProtocol::Rc5:
        return rc5Capture(key, toggle);
    case IrProtocol::Rc6:
        return rc6Capture(key, toggle);
    case IrProtocol::Nec:
        break;
    }
    return necCapture(key);
}
