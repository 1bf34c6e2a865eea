#include "modsim/WirePacer.h"

#include <algorithm>
#include <limits>

namespace {

constexpr qint64 BitsPerByte = 10;
constexpr int FallbackBaud = 9600;

} // namespace

WirePacer::WirePacer(QObject *parent)
    : QObject(parent)
    , m_timer(this)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &WirePacer::deliverDue);
}

void WirePacer::setPaced(bool paced)
{
    if (m_paced == paced)
        return;
    m_paced = paced;
    if (paced)
        return;
    m_timer.stop();
    const QList<Chunk> pending = std::exchange(m_chunks, {});
    for (const Chunk &chunk : pending)
        emit delivered(chunk.bytes.mid(chunk.done), chunk.baud);
}

void WirePacer::push(const QByteArray &bytes, int baud)
{
    if (bytes.isEmpty())
        return;
    if (!m_paced) {
        emit delivered(bytes, baud);
        return;
    }
    Chunk chunk;
    chunk.bytes = bytes;
    chunk.baud = baud;
    chunk.byteNs = BitsPerByte * 1'000'000'000 / (baud > 0 ? baud : FallbackBaud);
    chunk.startNs = std::max(m_clock.nsecsElapsed(), m_lineFreeNs);
    m_lineFreeNs = chunk.startNs + chunk.byteNs * bytes.size();
    m_chunks.append(chunk);
    if (!m_timer.isActive())
        schedule();
}

void WirePacer::deliverDue()
{
    const qint64 now = m_clock.nsecsElapsed();
    while (!m_chunks.isEmpty()) {
        Chunk &chunk = m_chunks.first();
        const qsizetype due = std::min<qint64>(chunk.bytes.size(), (now - chunk.startNs) / chunk.byteNs);
        if (due <= chunk.done)
            break;
        const QByteArray piece = chunk.bytes.mid(chunk.done, due - chunk.done);
        const int baud = chunk.baud;
        chunk.done = due;
        if (chunk.done == chunk.bytes.size())
            m_chunks.removeFirst();
        // The receiver may queue more bytes here; nothing above is used after it.
        emit delivered(piece, baud);
    }
    schedule();
}

void WirePacer::schedule()
{
    if (m_chunks.isEmpty() || m_timer.isActive())
        return;
    const Chunk &chunk = m_chunks.first();
    const qint64 nextNs = chunk.startNs + (chunk.done + 1) * chunk.byteNs;
    const qint64 waitNs = std::max<qint64>(nextNs - m_clock.nsecsElapsed(), 0);
    m_timer.start(int(std::min<qint64>((waitNs + 999'999) / 1'000'000, std::numeric_limits<int>::max())));
}
