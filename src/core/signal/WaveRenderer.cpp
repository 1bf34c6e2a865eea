#include "core/signal/WaveRenderer.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int AxisTop = WaveRenderer::TickTopY;
constexpr int AxisWidth = 2;
// Text is measured and drawn as on a 96 dpi screen, where 8 points make the
// 11-pixel cells the strip's labels were laid out for.
constexpr int DotsPerMeter96Dpi = 3780;

QImage screenImage(int width, int height)
{
    QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    image.setDotsPerMeterX(DotsPerMeter96Dpi);
    image.setDotsPerMeterY(DotsPerMeter96Dpi);
    return image;
}

QFont stripFont()
{
    QFont font(QStringLiteral("MS Serif"));
    font.setPointSize(8);
    // Without "MS Serif" the hint picks the system's serif family.
    font.setStyleHint(QFont::Serif, QFont::NoAntialias);
    return font;
}

} // namespace

WaveRenderer::WaveRenderer(const QLocale &locale)
    : m_locale(locale)
    , m_font(stripFont())
    , m_strip(screenImage(StripWidth, StripHeight))
{
    const QImage probe = screenImage(1, 1);
    const QFontMetrics metrics(m_font, &probe);
    m_textHeight = metrics.height();
    m_textAscent = metrics.ascent();
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

int WaveRenderer::draw(const IrBlock &block, int waveScale, QRgb pen, bool showTime,
                       int scrollBoxWidth)
{
    m_strip.fill(Background);
    m_pen = {0, GapLabelY, pen};
    if (!block.isValid()) {
        writeText(m_strip, 8, 8, QStringLiteral("No IR Data!"));
        return scrollBoxWidth + 10;
    }
    drawSignal(block, waveScale, showTime);

    int end = m_x + 50;
    if (end < scrollBoxWidth)
        end = scrollBoxWidth + 10;
    else if (end > StripWidth)
        end = StripWidth;

    lineTo(StripWidth, LowY);
    drawAxis(waveScale);
    return end;
}

void WaveRenderer::drawSignal(const IrBlock &block, int waveScale, bool showTime)
{
    const CaptureHeader header = block.header();
    m_x = 0;
    drawPass(block, 0, header.symbolCount(), waveScale, showTime);
    if (m_pen.color == Red)
        m_pen.color = Blue;
    drawPass(block, header.repeatStart(), header.repeatEnd(), waveScale, showTime);
}

void WaveRenderer::drawPass(const IrBlock &block, int first, int end, int waveScale,
                            bool showTime)
{
    // Once x reaches the right edge nothing more can show.
    end = std::min(end, IrBlock::MaxSymbols);
    for (int i = first; i < end && m_x < StripWidth; ++i)
        drawSymbol(block, i, waveScale, showTime);
}

void WaveRenderer::drawSymbol(const IrBlock &block, int symbol, int waveScale, bool showTime)
{
    const CaptureHeader header = block.header();
    const IrDuration entry = header.duration(block.symbol(symbol));
    drawSegment(gapMicros(entry.gap), GapLabelY, LowY, HighY, waveScale, showTime);
    drawSegment(burstMicros(entry.burst, header.carrierPeriod()), BurstLabelY, HighY, LowY, waveScale, showTime);
}

// One gap or burst: its label, the level from x to its end, then the edge
// to the other level. x never passes the strip's right edge.
void WaveRenderer::drawSegment(qint64 micros, int labelY, int level, int nextLevel, int waveScale, bool showTime)
{
    const qint64 width = pixelsFor(micros, waveScale);
    if (timeLabelFits(micros, width, showTime))
        writeText(m_strip, m_x + 1, labelY, QString::number(micros));
    moveTo(m_x, level);
    m_x = int(std::min<qint64>(m_x + width, StripWidth));
    lineTo(m_x, level);
    lineTo(m_x, nextLevel);
}

void WaveRenderer::drawAxis(int waveScale)
{
    if (m_axisScale != waveScale)
        renderAxis(waveScale);
    std::memcpy(m_strip.scanLine(AxisTop), m_axis.constBits(), size_t(m_axis.sizeInBytes()));
}

void WaveRenderer::renderAxis(int waveScale)
{
    m_axis = screenImage(StripWidth, StripHeight - AxisTop);
    m_axis.fill(Background);
    fillRect(m_axis, 0, AxisY - AxisTop - 1, StripWidth, AxisWidth, Yellow);
    for (int p = TickStep; p < StripWidth; p += TickStep) {
        fillRect(m_axis, p - 1, TickTopY - AxisTop, AxisWidth, AxisY - TickTopY + 1, Yellow);
        writeText(m_axis, p - 5, AxisLabelY - AxisTop, axisLabel(p, waveScale, m_locale));
    }
    m_axisScale = waveScale;
}

void WaveRenderer::moveTo(int x, int y)
{
    m_pen.x = x;
    m_pen.y = y;
}

void WaveRenderer::lineTo(int x, int y)
{
    plotLine(m_strip, m_pen.x, m_pen.y, x, y, m_pen.color);
    moveTo(x, y);
}

void WaveRenderer::plotLine(QImage &image, int x0, int y0, int x1, int y1, QRgb color)
{
    // The waveform is all level and upright lines: fill those as spans.
    if (y0 == y1 || x0 == x1) {
        const int left = x0 <= x1 ? x0 : x1 + 1;
        const int top = y0 <= y1 ? y0 : y1 + 1;
        const int width = y0 == y1 ? std::abs(x1 - x0) : 1;
        const int height = x0 == x1 ? std::abs(y1 - y0) : 1;
        fillRect(image, left, top, width, height, color);
        return;
    }
    const int dx = x1 - x0;
    const int dy = y1 - y0;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    for (int i = 0; i < steps; ++i) {
        const int x = x0 + qRound(double(dx) * i / steps);
        const int y = y0 + qRound(double(dy) * i / steps);
        fillRect(image, x, y, 1, 1, color);
    }
}

void WaveRenderer::fillRect(QImage &image, int x, int y, int width, int height, QRgb color)
{
    const int left = std::max(x, 0);
    const int right = std::min(x + width, image.width());
    const int bottom = std::min(y + height, image.height());
    for (int row = std::max(y, 0); row < bottom; ++row) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(row));
        std::fill(line + left, line + std::max(left, right), color);
    }
}

void WaveRenderer::writeText(QImage &image, int x, int y, const QString &text)
{
    for (const QChar c : text) {
        const QImage &cell = glyph(c);
        const int left = std::max(x, 0);
        const int right = std::min(x + cell.width(), image.width());
        if (left < right) {
            const int bottom = std::min(y + cell.height(), image.height());
            for (int row = std::max(y, 0); row < bottom; ++row) {
                const auto *from = reinterpret_cast<const QRgb *>(cell.constScanLine(row - y));
                auto *to = reinterpret_cast<QRgb *>(image.scanLine(row));
                std::copy(from + (left - x), from + (right - x), to + left);
            }
        }
        x += cell.width();
    }
}

const QImage &WaveRenderer::glyph(QChar c)
{
    auto it = m_glyphs.constFind(c);
    if (it != m_glyphs.constEnd())
        return *it;

    const QImage probe = screenImage(1, 1);
    QImage cell = screenImage(QFontMetrics(m_font, &probe).horizontalAdvance(c), m_textHeight);
    cell.fill(Background);
    QPainter painter(&cell);
    painter.setFont(m_font);
    painter.setPen(QColor::fromRgb(TextColor));
    painter.drawText(0, m_textAscent, QString(c));
    painter.end();
    return *m_glyphs.insert(c, cell);
}
