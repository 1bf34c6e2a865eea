#include "modsim/CaptureEncoder.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace CaptureEncoder {

namespace {

constexpr uchar Marker = 'r';
constexpr int RepeatStartAt = 4;
constexpr int RepeatEndAt = 6;
constexpr int SymbolCountAt = 8;
constexpr int EntriesUsedAt = 10;
constexpr int TableAt = 11;

struct Entry
{
    int gap = 0;
    int burst = 0;

    friend bool operator==(const Entry &, const Entry &) = default;
};

[[nodiscard]] int clampWord(qint64 value)
{
    return int(std::clamp<qint64>(value, 0, std::numeric_limits<quint16>::max()));
}

[[nodiscard]] Entry quantise(const IrSymbol &symbol, int period)
{
    Entry entry;
    entry.gap = clampWord((qint64(symbol.gapUs) * 2212 + 4800) / 9600);
    if (period > 0) {
        const qint64 tickUnits = qint64(period) * 1200;
        entry.burst = clampWord((qint64(symbol.burstUs) * 2212 + tickUnits / 2) / tickUnits);
    }
    return entry;
}

// Distance of two entries in ticks of the module's clock (a gap unit is 8 ticks,
// a burst unit one carrier period), so gaps and bursts weigh by real length.
[[nodiscard]] qint64 distance(const Entry &a, const Entry &b, int period)
{
    return qint64(std::abs(a.gap - b.gap)) * 8 + qint64(std::abs(a.burst - b.burst)) * period;
}

class Table final
{
public:
    explicit Table(int period)
        : m_period(period)
    {
    }

    [[nodiscard]] int indexOf(const Entry &entry)
    {
        const auto found = std::find(m_entries.cbegin(), m_entries.cend(), entry);
        if (found != m_entries.cend())
            return int(found - m_entries.cbegin());
        if (m_entries.size() < TableEntries) {
            m_entries.append(entry);
            return int(m_entries.size() - 1);
        }
        const auto nearest = std::min_element(
            m_entries.cbegin(), m_entries.cend(), [&](const Entry &a, const Entry &b) {
                return distance(a, entry, m_period) < distance(b, entry, m_period);
            });
        return int(nearest - m_entries.cbegin());
    }

    [[nodiscard]] const QList<Entry> &entries() const { return m_entries; }

private:
    int m_period;
    QList<Entry> m_entries;
};

void putWord(QByteArray &bytes, int at, int value)
{
    bytes[at] = char(value >> 8);
    bytes[at + 1] = char(value);
}

} // namespace

int carrierPeriod(int carrierHz)
{
    if (carrierHz <= 0)
        return 0;
    return std::clamp((ClockHz + carrierHz / 2) / carrierHz, 1, 255);
}

QByteArray encode(const IrCapture &capture)
{
    QByteArray bytes(CaptureSize, '\0');
    const int period = carrierPeriod(capture.carrierHz);
    const int count = int(std::min<qsizetype>(capture.symbols.size(), MaxSymbols));

    Table table(period);
    for (int i = 0; i < count; ++i) {
        const int index = table.indexOf(quantise(capture.symbols.at(i), period));
        char &slot = bytes[HeaderSize + i / 2];
        slot = char(i % 2 == 0 ? (uchar(slot) & 0xF0) | index : (uchar(slot) & 0x0F) | index << 4);
    }

    bytes[0] = char(Marker);
    bytes[1] = char(period);
    putWord(bytes, RepeatStartAt, std::min(capture.repeatStart, count));
    putWord(bytes, RepeatEndAt, std::min(capture.repeatEnd, count));
    putWord(bytes, SymbolCountAt, count);
    bytes[EntriesUsedAt] = char(table.entries().size());
    for (int k = 0; k < table.entries().size(); ++k) {
        putWord(bytes, TableAt + 4 * k, table.entries().at(k).gap);
        putWord(bytes, TableAt + 4 * k + 2, table.entries().at(k).burst);
    }
    return bytes;
}

} // namespace CaptureEncoder
