#include "core/signal/WaveGlyphs.h"

#include "core/signal/WaveRenderer.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int DotsPerMeter96Dpi = 3780;

QFont stripFont()
{
    QFont font(QStringLiteral("MS Serif"));
    font.setPointSize(8);
    // Without "MS Serif" the hint picks the system's serif family.
    font.setStyleHint(QFont::Serif, QFont::NoAntialias);
    return font;
}

QFontMetrics screenMetrics(const QFont &font)
{
    const QImage probe = WaveGlyphs::screenImage(1, 1);
    return QFontMetrics(font, &probe);
}

} // namespace

WaveGlyphs::WaveGlyphs()
    : m_font(stripFont())
{
    const QFontMetrics metrics = screenMetrics(m_font);
    m_height = metrics.height();
    m_ascent = metrics.ascent();
}

QImage WaveGlyphs::screenImage(int width, int height)
{
    QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    image.setDotsPerMeterX(DotsPerMeter96Dpi);
    image.setDotsPerMeterY(DotsPerMeter96Dpi);
    return image;
}

int WaveGlyphs::textWidth(const QString &text)
{
    int width = 0;
    for (const QChar c : text)
        width += cell(c).width();
    return width;
}

const QImage &WaveGlyphs::cell(QChar c)
{
    auto it = m_cells.constFind(c);
    if (it != m_cells.constEnd())
        return *it;

    QImage cell = screenImage(screenMetrics(m_font).horizontalAdvance(c), m_height);
    cell.fill(WaveRenderer::Background);
    QPainter painter(&cell);
    painter.setFont(m_font);
    painter.setPen(QColor::fromRgb(WaveRenderer::TextColor));
    painter.drawText(0, m_ascent, QString(c));
    painter.end();
    return *m_cells.insert(c, cell);
}
