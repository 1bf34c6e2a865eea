#include "core/signal/PulseTrain.h"

void PulseTrain::mark(qint64 us)
{
    m_elapsedUs += us;
    if (!m_pulses.isEmpty() && m_pulses.last().spaceUs == 0 && !m_repeatPending) {
        m_pulses.last().markUs += us;
        return;
    }
    if (m_repeatPending) {
        m_repeatStart = int(m_pulses.size());
        m_repeatPending = false;
    }
    m_pulses.append({us, 0});
}

void PulseTrain::space(qint64 us)
{
    m_elapsedUs += us;
    if (!m_pulses.isEmpty())
        m_pulses.last().spaceUs += us;
}

void PulseTrain::startFrame()
{
    m_frameStartUs = m_elapsedUs;
}

void PulseTrain::endFrame(qint64 periodUs, qint64 minSilenceUs)
{
    space(std::max(periodUs - (m_elapsedUs - m_frameStartUs), minSilenceUs));
}

void PulseTrain::startRepeat()
{
    m_repeatPending = true;
}

IrResult<IrTiming> PulseTrain::timing(int carrierHz) const
{
    const int count = int(m_pulses.size());
    const int start = m_repeatStart < 0 ? count : m_repeatStart;
    return IrTiming::fromMicros(carrierHz, m_pulses, start == count ? 0 : start, start == count ? 0 : count);
}
