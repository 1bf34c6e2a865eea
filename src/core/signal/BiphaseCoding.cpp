#include "core/signal/BiphaseCoding.h"

#include "core/signal/IrTolerance.h"

// Depth-first search over the marks and spaces from one pulse on; level[s] is
// the level given to slot s on the current path.
class BiphaseCoding::Search final
{
public:
    Search(const BiphaseCoding &coding, const QList<IrTiming::Pulse> &pulses, int at)
        : m_coding(coding)
        , m_pulses(pulses)
        , m_at(at)
        , m_level(coding.m_slots.size(), false)
    {
    }

    [[nodiscard]] std::optional<ReadFrame> run()
    {
        if (!fill(0, m_coding.m_firstMarkSlot))
            return std::nullopt;
        ReadFrame frame;
        for (size_t s = 0; s < m_coding.m_slots.size(); ++s) {
            const Slot &slot = m_coding.m_slots[s];
            if (slot.bit >= 0 && !slot.second)
                frame.bits.push(m_level[s] == m_coding.m_oneIsMarkFirst);
        }
        frame.next = m_next;
        return frame;
    }

private:
    // Run r is the mark (even r) or the space (odd r) of pulse m_at + r / 2;
    // slot s is the first not yet covered.
    [[nodiscard]] bool fill(int r, size_t s)
    {
        const int pulse = m_at + r / 2;
        const bool mark = r % 2 == 0;
        if (pulse >= m_pulses.size())
            return false;
        const qint64 us = mark ? m_pulses[pulse].markUs : m_pulses[pulse].spaceUs;
        if (s == m_coding.m_slots.size())
            return !mark && closes(pulse, us) && finish(pulse);

        qint64 widthUs = 0;
        for (size_t k = s; k < s + 2 && k < m_coding.m_slots.size(); ++k) {
            const Slot &slot = m_coding.m_slots[k];
            if (slot.bit < 0 ? slot.mark != mark : (slot.second && m_level[k - 1] == mark))
                return false;
            m_level[k] = mark;
            widthUs += qint64(slot.width) * m_coding.m_unitUs;
            const bool last = k + 1 == m_coding.m_slots.size();
            if (IrTolerance::matches(us, widthUs) && fill(r + 1, k + 1))
                return true;
            if (!mark && last && us >= widthUs - IrTolerance::allowanceUs(widthUs) && closes(pulse, us - widthUs))
                return finish(pulse);
        }
        return false;
    }

    [[nodiscard]] bool closes(int pulse, qint64 silenceUs) const
    {
        return silenceUs >= m_coding.m_frameGapUs || pulse == m_pulses.size() - 1;
    }

    [[nodiscard]] bool finish(int pulse)
    {
        m_next = pulse + 1;
        return true;
    }

    const BiphaseCoding &m_coding;
    const QList<IrTiming::Pulse> &m_pulses;
    int m_at;
    std::vector<bool> m_level;
    int m_next = 0;
};

BiphaseCoding::BiphaseCoding(int unitUs, const QList<Cell> &cells, bool oneIsMarkFirst, qint64 frameGapUs)
    : m_unitUs(unitUs)
    , m_oneIsMarkFirst(oneIsMarkFirst)
    , m_frameGapUs(frameGapUs)
{
    int bit = 0;
    for (const Cell &cell : cells) {
        if (cell.kind == Cell::Kind::Bit) {
            m_slots.push_back({cell.width, bit, false, false});
            m_slots.push_back({cell.width, bit++, false, true});
        } else {
            m_slots.push_back({cell.width, -1, cell.kind == Cell::Kind::Mark, false});
        }
    }
    while (m_firstMarkSlot < int(m_slots.size()) && m_slots[size_t(m_firstMarkSlot)].bit < 0
           && !m_slots[size_t(m_firstMarkSlot)].mark)
        ++m_firstMarkSlot;
}

void BiphaseCoding::write(PulseTrain &train, const FrameBits &bits, bool) const
{
    for (const Slot &slot : m_slots) {
        const qint64 us = qint64(slot.width) * m_unitUs;
        if (levelOf(slot, bits))
            train.mark(us);
        else
            train.space(us);
    }
}

std::optional<ReadFrame> BiphaseCoding::read(const QList<IrTiming::Pulse> &pulses, int at, bool) const
{
    return Search(*this, pulses, at).run();
}

bool BiphaseCoding::levelOf(const Slot &slot, const FrameBits &bits) const
{
    if (slot.bit < 0)
        return slot.mark;
    const bool firstIsMark = bits.at(slot.bit) == m_oneIsMarkFirst;
    return slot.second ? !firstIsMark : firstIsMark;
}
