#include "core/signal/WaveGeometry.h"

#include "core/signal/WaveRenderer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The last segment starting at or before x, or segments.cend().
QList<WaveSegment>::const_iterator lastStartingAt(const QList<WaveSegment> &segments, double x)
{
    const auto after = std::upper_bound(segments.cbegin(), segments.cend(), x,
                                        [](double value, const WaveSegment &s) { return value < s.x; });
    return after == segments.cbegin() ? segments.cend() : after - 1;
}

} // namespace

int WaveSegment::right() const
{
    return int(std::min<qint64>(x + pixels, WaveRenderer::StripWidth));
}

WaveGeometry::WaveGeometry(int waveScale)
    : m_scale(waveScale)
{
}

WaveGeometry::WaveGeometry(const IrBlock &block, int waveScale)
    : m_scale(waveScale)
    , m_hasSignal(block.isValid())
{
    if (!m_hasSignal)
        return;
    const CaptureHeader header = block.header();
    m_repeatStart = header.repeatStart();
    m_repeatEnd = header.repeatEnd();
    addPass(block, 0, header.symbolCount(), false);
    addPass(block, m_repeatStart, m_repeatEnd, true);
}

void WaveGeometry::addPass(const IrBlock &block, int first, int end, bool repetition)
{
    const CaptureHeader header = block.header();
    // Once x reaches the right edge nothing more can show.
    end = std::min(end, IrBlock::MaxSymbols);
    for (int i = first; i < end && m_signalEnd < WaveRenderer::StripWidth; ++i) {
        const int entry = block.symbol(i);
        const IrDuration duration = header.duration(entry);
        const qint64 gap = WaveRenderer::gapMicros(duration.gap);
        const qint64 burst = WaveRenderer::burstMicros(duration.burst, header.carrierPeriod());
        for (const auto &[isBurst, micros] : {std::pair{false, gap}, std::pair{true, burst}}) {
            WaveSegment segment;
            segment.symbol = i;
            segment.entry = entry;
            segment.duration = duration;
            segment.burst = isBurst;
            segment.repeated = i >= m_repeatStart && i < m_repeatEnd;
            segment.repetition = repetition;
            segment.micros = micros;
            segment.startMicros = m_signalMicros;
            segment.x = m_signalEnd;
            segment.pixels = WaveRenderer::pixelsFor(micros, m_scale);
            m_segments.append(segment);
            m_signalEnd = segment.right();
            m_signalMicros += micros;
        }
    }
}

const WaveSegment *WaveGeometry::segmentAt(int x) const
{
    const auto it = lastStartingAt(m_segments, x);
    if (it == m_segments.cend() || x >= it->right())
        return nullptr;
    return &*it;
}

double WaveGeometry::microsAt(double x) const
{
    const auto it = lastStartingAt(m_segments, x);
    if (it != m_segments.cend() && x < double(it->x + it->pixels))
        return double(it->startMicros) + (x - it->x) * double(it->micros) / double(it->pixels);
    if (x < 0)
        return x * m_scale;
    return double(m_signalMicros) + (x - m_signalEnd) * m_scale;
}

double WaveGeometry::xAt(double micros) const
{
    const auto after = std::upper_bound(m_segments.cbegin(), m_segments.cend(), micros,
                                        [](double value, const WaveSegment &s) { return value < s.startMicros; });
    if (after != m_segments.cbegin()) {
        const WaveSegment &s = *(after - 1);
        if (micros < double(s.startMicros + s.micros))
            return s.x + (micros - double(s.startMicros)) * double(s.pixels) / double(s.micros);
    }
    if (micros < 0)
        return micros / m_scale;
    return m_signalEnd + (micros - double(m_signalMicros)) / m_scale;
}

int WaveGeometry::burstsBetween(int from, int to) const
{
    const int left = std::min(from, to);
    const int right = std::max(from, to);
    return int(std::count_if(m_segments.cbegin(), m_segments.cend(), [&](const WaveSegment &s) {
        return s.burst && s.x >= left && s.x <= right && s.x < WaveRenderer::StripWidth;
    }));
}

int WaveGeometry::anchoredOffset(const WaveGeometry &before, const WaveGeometry &after, int offset, int pointerX)
{
    // The time at the middle of the pointer's column lands in that column again.
    const double micros = before.microsAt(offset + pointerX + 0.5);
    return int(std::floor(after.xAt(micros))) - pointerX;
}

QString WaveGeometry::segmentText(const WaveSegment &segment)
{
    const QString kind = segment.burst ? QStringLiteral("Burst") : QStringLiteral("Gap");
    QString part;
    if (segment.repetition)
        part = QStringLiteral("Repetition of the repeated part");
    else if (segment.repeated)
        part = QStringLiteral("In the repeated part");
    else
        part = QStringLiteral("Not in the repeated part");
    return QStringLiteral("%1 %2 µs\nSymbol %3, duration entry %4 (gap %5, burst %6)\n%7")
        .arg(kind, QString::number(segment.micros), QString::number(segment.symbol), QString::number(segment.entry),
             QString::number(segment.duration.gap), QString::number(segment.duration.burst), part);
}

QString WaveGeometry::measureText(int from, int to) const
{
    const qint64 micros = std::llround(std::abs(microsAt(to) - microsAt(from)));
    const int bursts = burstsBetween(from, to);
    return QStringLiteral("%1 µs (%2 ms), %3 %4")
        .arg(QString::number(micros), QString::number(double(micros) / 1000.0, 'f', 3), QString::number(bursts),
             bursts == 1 ? QStringLiteral("burst") : QStringLiteral("bursts"));
}
