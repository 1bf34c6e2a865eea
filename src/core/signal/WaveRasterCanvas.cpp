#include "core/signal/WaveRasterCanvas.h"

#include "core/signal/WaveGlyphs.h"
#include "core/signal/WaveRenderer.h"

#include <algorithm>
#include <cstdlib>

WaveRasterCanvas::WaveRasterCanvas(QImage &image, int top, WaveGlyphs &glyphs)
    : m_image(image)
    , m_top(top)
    , m_glyphs(glyphs)
{
}

QRect WaveRasterCanvas::clipped(const QRect &rect) const
{
    const QRect band(0, m_top, m_image.width(), WaveRenderer::StripHeight);
    return rect.translated(0, m_top) & band & m_image.rect();
}

void WaveRasterCanvas::fillRect(const QRect &rect, QRgb color)
{
    const QRect r = clipped(rect);
    for (int row = r.top(); row <= r.bottom(); ++row) {
        auto *line = reinterpret_cast<QRgb *>(m_image.scanLine(row));
        std::fill(line + r.left(), line + r.right() + 1, color);
    }
}

void WaveRasterCanvas::drawSlantedLine(QPoint from, QPoint to, QRgb color)
{
    const int dx = to.x() - from.x();
    const int dy = to.y() - from.y();
    const int steps = std::max(std::abs(dx), std::abs(dy));
    for (int i = 0; i < steps; ++i) {
        const int x = from.x() + qRound(double(dx) * i / steps);
        const int y = from.y() + qRound(double(dy) * i / steps);
        fillRect(QRect(x, y, 1, 1), color);
    }
}

void WaveRasterCanvas::drawText(QPoint at, const QString &text)
{
    int x = at.x();
    for (const QChar c : text) {
        if (x >= m_image.width())
            return;
        const QImage &cell = m_glyphs.cell(c);
        const QRect r = clipped(QRect(x, at.y(), cell.width(), cell.height()));
        for (int row = r.top(); row <= r.bottom(); ++row) {
            const auto *from = reinterpret_cast<const QRgb *>(cell.constScanLine(row - m_top - at.y()));
            auto *to = reinterpret_cast<QRgb *>(m_image.scanLine(row));
            std::copy(from + (r.left() - x), from + (r.right() + 1 - x), to + r.left());
        }
        x += cell.width();
    }
}
