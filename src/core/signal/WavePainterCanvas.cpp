#include "core/signal/WavePainterCanvas.h"

#include "core/signal/WaveGlyphs.h"
#include "core/signal/WaveRenderer.h"

#include <QFontInfo>
#include <QLineF>
#include <QPainter>

#include <utility>

namespace {

// Where a line from `from` to `to` crosses column x.
QPointF pointAtColumn(QPointF from, QPointF to, double x)
{
    return from + (to - from) * ((x - from.x()) / (to.x() - from.x()));
}

} // namespace

WavePainterCanvas::WavePainterCanvas(QPainter &painter, int top, int width, WaveGlyphs &glyphs)
    : m_painter(painter)
    , m_top(top)
    , m_width(width)
    , m_glyphs(glyphs)
    , m_font(glyphs.font())
{
    // The face the picture's glyphs come from, not the name asked for.
    m_font.setFamily(QFontInfo(glyphs.font()).family());
}

void WavePainterCanvas::fillRect(const QRect &rect, QRgb color)
{
    const QRect band(0, 0, m_width, WaveRenderer::StripHeight);
    const QRect r = rect & band;
    if (r.isEmpty())
        return;
    if (color != m_fillColor)
        finish();
    m_fillColor = color;
    m_fills.addRect(r.translated(0, m_top));
}

void WavePainterCanvas::finish()
{
    if (m_fills.isEmpty())
        return;
    // Overlapping rectangles fill their union.
    m_fills.setFillRule(Qt::WindingFill);
    m_painter.fillPath(m_fills, QColor::fromRgb(m_fillColor));
    m_fills.clear();
}

void WavePainterCanvas::drawSlantedLine(QPoint from, QPoint to, QRgb color)
{
    // Through the middles of the end pixels, cut at the band's right edge.
    const QPointF centre(0.5, 0.5 + m_top);
    QPointF start = QPointF(from) + centre;
    QPointF end = QPointF(to) + centre;
    if (end.x() < start.x())
        std::swap(start, end);
    if (start.x() >= m_width)
        return;
    if (end.x() > m_width && end.x() != start.x())
        end = pointAtColumn(start, end, m_width);
    finish();
    m_painter.setPen(QPen(QColor::fromRgb(color), 1.0, Qt::SolidLine, Qt::FlatCap));
    m_painter.drawLine(QLineF(start, end));
}

void WavePainterCanvas::drawText(QPoint at, const QString &text)
{
    if (at.x() >= m_width)
        return;
    fillRect(QRect(at.x(), at.y(), m_glyphs.textWidth(text), m_glyphs.height()), WaveRenderer::Background);
    finish();
    m_painter.setFont(m_font);
    m_painter.setPen(QColor::fromRgb(WaveRenderer::TextColor));
    m_painter.drawText(QPointF(at.x(), m_top + at.y() + m_glyphs.ascent()), text);
}
