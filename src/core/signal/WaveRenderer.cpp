#include "core/signal/WaveRenderer.h"

#include "core/signal/WaveCanvas.h"
#include "core/signal/WaveGeometry.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int AxisWidth = 2;
// Between the signal and the caption, and after the caption.
constexpr int CaptionMargin = 8;

} // namespace

WaveRenderer::WaveRenderer(const QLocale &locale)
    : m_locale(locale)
{
}

bool WaveRenderer::timeLabelFits(qint64 micros, qint64 pixels, bool showTime)
{
    if (!showTime)
        return false;
    if (micros >= 1000)
        return pixels >= 20;
    if (micros >= 100)
        return pixels >= 15;
    if (micros >= 10)
        return pixels >= 10;
    return pixels >= 5;
}

qint64 WaveRenderer::gapMicros(quint16 gap)
{
    return qint64(gap) * 9600 / 2212;
}

qint64 WaveRenderer::burstMicros(quint16 burst, uchar carrierPeriod)
{
    // 64-bit: Burst x CarrierPeriod x 1200 exceeds 32 bits for large entries.
    const qint64 ticks = carrierPeriod == 0 ? 15 : qint64(burst) * carrierPeriod;
    return ticks * 1200 / 2212;
}

qint64 WaveRenderer::pixelsFor(qint64 micros, int waveScale)
{
    return (micros + waveScale / 2) / waveScale;
}

QString WaveRenderer::axisLabel(int p, int waveScale, const QLocale &locale)
{
    const double millis = double(p * waveScale) * 0.001;
    QString text = QString::number(millis, 'g', 15);
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    return text + QStringLiteral("ms");
}

int WaveRenderer::traceEnd(const WaveGeometry &geometry, int scrollBoxWidth, const QString &caption)
{
    if (!geometry.hasSignal())
        return scrollBoxWidth + 10;
    int end = geometry.signalEnd() + 50;
    if (end < scrollBoxWidth)
        end = scrollBoxWidth + 10;
    else if (end > StripWidth)
        end = StripWidth;
    if (captionFits(geometry, caption))
        end = std::max(end, geometry.signalEnd() + 2 * CaptionMargin + m_glyphs.textWidth(caption));
    return end;
}

void WaveRenderer::paint(WaveCanvas &canvas, const WaveGeometry &geometry, QRgb pen, bool showTime,
                         const QString &caption)
{
    m_canvas = &canvas;
    canvas.fillRect(QRect(0, 0, canvas.width(), StripHeight), Background);
    if (!geometry.hasSignal()) {
        canvas.drawText(QPoint(8, 8), QStringLiteral("No IR Data!"));
    } else {
        paintSignal(geometry, pen, showTime);
        paintAxis(geometry.waveScale());
        paintCaption(geometry, caption);
    }
    m_canvas = nullptr;
}

void WaveRenderer::paintSignal(const WaveGeometry &geometry, QRgb pen, bool showTime)
{
    m_penColor = pen;
    moveTo(0, GapLabelY);
    for (const WaveSegment &s : geometry.segments()) {
        // A red pen draws the repetition of the repeated part in blue.
        if (s.repetition && m_penColor == Red)
            m_penColor = Blue;
        if (timeLabelFits(s.micros, s.pixels, showTime))
            m_canvas->drawText(QPoint(s.x + 1, s.burst ? BurstLabelY : GapLabelY), QString::number(s.micros));
        const int level = s.burst ? HighY : LowY;
        moveTo(s.x, level);
        lineTo(s.right(), level);
        lineTo(s.right(), s.burst ? LowY : HighY);
    }
    // After the signal a red pen is blue, also without a repeated part.
    if (m_penColor == Red)
        m_penColor = Blue;
    // The low level runs on to the right edge.
    lineTo(StripWidth, LowY);
}

void WaveRenderer::paintAxis(int waveScale)
{
    const int width = m_canvas->width();
    m_canvas->fillRect(QRect(0, TickTopY, width, StripHeight - TickTopY), Background);
    m_canvas->fillRect(QRect(0, AxisY - 1, width, AxisWidth), Yellow);
    // Ticks and labels do not meet: all ticks first, then all labels.
    for (int p = TickStep; p < StripWidth && p - 1 < width; p += TickStep)
        m_canvas->fillRect(QRect(p - 1, TickTopY, AxisWidth, AxisY - TickTopY + 1), Yellow);
    for (int p = TickStep; p < StripWidth && p - 5 < width; p += TickStep)
        m_canvas->drawText(QPoint(p - 5, AxisLabelY), axisLabel(p, waveScale, m_locale));
}

bool WaveRenderer::captionFits(const WaveGeometry &geometry, const QString &caption)
{
    return !caption.isEmpty()
        && geometry.signalEnd() + 2 * CaptionMargin + m_glyphs.textWidth(caption) <= StripWidth;
}

void WaveRenderer::paintCaption(const WaveGeometry &geometry, const QString &caption)
{
    if (captionFits(geometry, caption))
        m_canvas->drawText(QPoint(geometry.signalEnd() + CaptionMargin, BurstLabelY), caption);
}

void WaveRenderer::moveTo(int x, int y)
{
    m_pen = QPoint(x, y);
}

void WaveRenderer::lineTo(int x, int y)
{
    const QPoint from = m_pen;
    moveTo(x, y);
    if (from.y() != y && from.x() != x) {
        m_canvas->drawSlantedLine(from, m_pen, m_penColor);
        return;
    }
    // Level and upright lines are spans: the start pixel in, the end pixel out.
    const int left = from.x() <= x ? from.x() : x + 1;
    const int top = from.y() <= y ? from.y() : y + 1;
    const int width = from.y() == y ? std::abs(x - from.x()) : 1;
    const int height = from.x() == x ? std::abs(y - from.y()) : 1;
    m_canvas->fillRect(QRect(left, top, width, height), m_penColor);
}
