#pragma once

#include "core/signal/WaveCanvas.h"

#include <QFont>
#include <QPainterPath>

class QPainter;
class WaveGlyphs;

// Draws a band as vector shapes through a QPainter (an SVG generator): each
// level, edge and tick becomes the rectangle of the pixels it covers in the
// picture, text is written in the strip's font at the picture's cells.
// Rectangles of one colour drawn one after another go out as one path;
// finish() draws what is still held.
class WavePainterCanvas final : public WaveCanvas
{
public:
    // The band's rows are top..top + 49 of the painter's device.
    WavePainterCanvas(QPainter &painter, int top, int width, WaveGlyphs &glyphs);

    [[nodiscard]] int width() const override { return m_width; }
    void fillRect(const QRect &rect, QRgb color) override;
    void drawSlantedLine(QPoint from, QPoint to, QRgb color) override;
    void drawText(QPoint at, const QString &text) override;
    void finish();

private:
    QPainter &m_painter;
    int m_top;
    int m_width;
    WaveGlyphs &m_glyphs;
    QFont m_font;
    QPainterPath m_fills;
    QRgb m_fillColor = 0;
};
