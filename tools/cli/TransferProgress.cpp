#include "cli/TransferProgress.h"

#include "cli/CliRun.h"

namespace {

constexpr qint64 RedrawMs = 100;

QString minutesAndSeconds(qint64 seconds)
{
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

TransferProgress::TransferProgress(CliRun &run)
    : m_run(run)
    , m_terminal(run.stderrIsTerminal())
{
    m_clock.start();
}

double TransferProgress::bytesPerSecond(int slotCount) const
{
    const double seconds = double(m_clock.nsecsElapsed()) / 1e9;
    return seconds > 0 ? double(slotCount) * SlotBytes / seconds : 0.0;
}

void TransferProgress::slotDone(int slot)
{
    if (!m_terminal)
        return;
    const int done = slot + 1;
    const qint64 now = m_clock.elapsed();
    if (done < SlotCount && m_lastDrawMs >= 0 && now - m_lastDrawMs < RedrawMs)
        return;
    m_lastDrawMs = now;
    const double rate = bytesPerSecond(done);
    const qint64 left = rate > 0 ? qint64(double(SlotCount - done) * SlotBytes / rate + 0.5) : 0;
    m_run.err() << "\r\033[Kslot " << done << " of " << SlotCount << ", "
                << QString::number(rate / 1000, 'f', 1) << " kB/s, " << minutesAndSeconds(left) << " left"
                << Qt::flush;
    m_lineOpen = true;
}

void TransferProgress::finish()
{
    if (m_lineOpen)
        m_run.err() << "\r\033[K" << Qt::flush;
    m_lineOpen = false;
}

QString TransferProgress::summary(int slotCount) const
{
    const double seconds = double(m_clock.nsecsElapsed()) / 1e9;
    return QStringLiteral("%1 slots in %2 s, %3 kB/s")
        .arg(slotCount)
        .arg(seconds, 0, 'f', 1)
        .arg(bytesPerSecond(slotCount) / 1000, 0, 'f', 1);
}
