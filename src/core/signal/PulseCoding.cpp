#include "core/signal/PulseCoding.h"

#include "core/signal/IrTolerance.h"

PulseCoding::PulseCoding(int unitUs, Units leader, Units zero, Units one, bool closingMark, qint64 frameGapUs)
    : m_unitUs(unitUs)
    , m_leader(leader)
    , m_zero(zero)
    , m_one(one)
    , m_closingMark(closingMark)
    , m_frameGapUs(frameGapUs)
{
}

void PulseCoding::write(PulseTrain &train, const FrameBits &bits, bool withLead) const
{
    if (withLead && m_leader.mark > 0) {
        train.mark(qint64(m_leader.mark) * m_unitUs);
        train.space(qint64(m_leader.space) * m_unitUs);
    }
    for (int i = 0; i < bits.count; ++i) {
        const Units &units = bits.at(i) ? m_one : m_zero;
        train.mark(qint64(units.mark) * m_unitUs);
        train.space(qint64(units.space) * m_unitUs);
    }
    if (m_closingMark)
        train.mark(qint64(m_zero.mark) * m_unitUs);
}

std::optional<ReadFrame> PulseCoding::read(const QList<IrTiming::Pulse> &pulses, int at, bool withLead) const
{
    int i = at;
    const int count = int(pulses.size());
    if (withLead && m_leader.mark > 0) {
        if (i >= count || !near(pulses[i].markUs, m_leader.mark) || !near(pulses[i].spaceUs, m_leader.space))
            return std::nullopt;
        ++i;
    }
    ReadFrame frame;
    // The capture's last space is silence, whatever its length.
    for (; i < count && frame.bits.count <= FrameBits::MaxBits; ++i) {
        const IrTiming::Pulse &pulse = pulses[i];
        const bool last = i == count - 1;
        if (m_closingMark) {
            if (!near(pulse.markUs, m_zero.mark))
                return std::nullopt;
            if (!last && (near(pulse.spaceUs, m_zero.space) || near(pulse.spaceUs, m_one.space))) {
                frame.bits.push(near(pulse.spaceUs, m_one.space));
                continue;
            }
        } else {
            if (!near(pulse.markUs, m_zero.mark) && !near(pulse.markUs, m_one.mark))
                return std::nullopt;
            frame.bits.push(near(pulse.markUs, m_one.mark));
            if (!last && near(pulse.spaceUs, m_zero.space))
                continue;
        }
        if (!ends(pulses, i))
            return std::nullopt;
        frame.next = i + 1;
        return frame;
    }
    return std::nullopt;
}

bool PulseCoding::ends(const QList<IrTiming::Pulse> &pulses, int i) const
{
    return pulses[i].spaceUs >= m_frameGapUs || i == pulses.size() - 1;
}

bool PulseCoding::near(qint64 us, int units) const
{
    return IrTolerance::matches(us, qint64(units) * m_unitUs);
}
