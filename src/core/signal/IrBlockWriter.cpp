#include "core/signal/IrBlockWriter.h"

#include "core/signal/DurationMerger.h"

#include <QHash>

namespace {

constexpr int CarrierPeriodAt = 1;
constexpr int RepeatStartAt = 4;
constexpr int RepeatEndAt = 6;
constexpr int SymbolCountAt = 8;
constexpr int TableAt = 11;

void putWord(IrBlock &block, int at, int value)
{
    block.set(at, uchar(value >> 8));
    block.set(at + 1, uchar(value));
}

[[nodiscard]] int clampedWord(int value)
{
    return std::clamp(value, 0, 0xFFFF);
}

class CaptureWriter final
{
public:
    CaptureWriter(IrBlock &block, int capture, int captureCount)
        : m_block(block)
        , m_capture(capture)
        , m_rc5Rc6(captureCount == 2)
    {
    }

    // Empty on success, else the reason.
    [[nodiscard]] QString write(const IrTiming &timing)
    {
        const int capacity = m_rc5Rc6 ? IrBlock::MaxSymbols / 2 : IrBlock::MaxSymbols;
        if (timing.size() > capacity) {
            return prefix()
                   + QStringLiteral("%1 symbols; %2 holds %3 (%4 too many)")
                         .arg(timing.size())
                         .arg(m_rc5Rc6 ? QStringLiteral("a capture of an RC5/RC6 block") : QStringLiteral("a block"))
                         .arg(capacity)
                         .arg(timing.size() - capacity);
        }
        if (timing.carrierPeriod() < 0 || timing.carrierPeriod() > IrTiming::MaxCarrierPeriod) {
            return prefix()
                   + QStringLiteral("carrier period of %1 clock ticks; the module counts 0 to %2")
                         .arg(timing.carrierPeriod())
                         .arg(IrTiming::MaxCarrierPeriod);
        }
        DurationMerger merger(timing.symbols(), timing.carrierPeriod());
        merger.mergeDownTo(IrBlockWriter::TableEntries);
        if (merger.entryCount() > IrBlockWriter::TableEntries) {
            return prefix()
                   + QStringLiteral("%1 different durations remain after merging those within %2 %; the table "
                                    "holds %3 (%4 too many)")
                         .arg(merger.entryCount())
                         .arg(DurationMerger::MergePercent)
                         .arg(IrBlockWriter::TableEntries)
                         .arg(merger.entryCount() - IrBlockWriter::TableEntries);
        }
        writeHeader(timing);
        writeSymbols(merger.symbols());
        return {};
    }

private:
    [[nodiscard]] QString prefix() const
    {
        return m_rc5Rc6 ? QStringLiteral("capture %1: ").arg(m_capture + 1) : QString();
    }

    [[nodiscard]] int headerAt() const { return m_capture == 0 ? 0 : IrBlock::SecondHeaderOffset; }

    void writeHeader(const IrTiming &timing)
    {
        const int at = headerAt();
        m_block.set(at, CaptureHeader::MarkerValid);
        m_block.set(at + CarrierPeriodAt, uchar(timing.carrierPeriod()));
        putWord(m_block, at + RepeatStartAt, clampedWord(timing.repeatStart()));
        putWord(m_block, at + RepeatEndAt, clampedWord(timing.repeatEnd()));
        putWord(m_block, at + SymbolCountAt, timing.size());
    }

    void writeSymbols(const QList<IrDuration> &symbols)
    {
        const int base = m_capture == 0 ? IrBlock::SymbolsOffset : IrBlock::SecondSymbolsOffset;
        QHash<quint32, int> indexOf;
        for (int i = 0; i < symbols.size(); ++i) {
            const IrDuration d = symbols.at(i);
            const quint32 key = quint32(d.gap) << 16 | d.burst;
            auto found = indexOf.constFind(key);
            if (found == indexOf.cend()) {
                found = indexOf.insert(key, int(indexOf.size()));
                const int entryAt = headerAt() + TableAt + 4 * *found;
                putWord(m_block, entryAt, d.gap);
                putWord(m_block, entryAt + 2, d.burst);
            }
            const int byteAt = base + i / 2;
            const uchar byte = m_block.at(byteAt);
            m_block.set(byteAt, uchar(i % 2 == 0 ? (byte & 0xF0) | *found : (byte & 0x0F) | *found << 4));
        }
    }

    IrBlock &m_block;
    int m_capture;
    bool m_rc5Rc6;
};

} // namespace

IrResult<IrBlock> IrBlockWriter::write(const QList<IrTiming> &captures)
{
    if (captures.size() != 1 && captures.size() != 2) {
        return IrResult<IrBlock>::refused(
            QStringLiteral("a block holds one or two captures, not %1").arg(captures.size()));
    }
    IrBlock block;
    for (int c = 0; c < captures.size(); ++c) {
        const QString error = CaptureWriter(block, c, int(captures.size())).write(captures.at(c));
        if (!error.isEmpty())
            return IrResult<IrBlock>::refused(error);
    }
    return block;
}
