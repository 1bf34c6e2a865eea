#pragma once

#include "core/signal/WaveCanvas.h"

#include <QImage>

class WaveGlyphs;

// Draws a band into rows top..top + 49 of an RGB32 picture, pixel by pixel
// the way the strip always drew: nothing is smoothed, text is copied from
// the glyph cells.
class WaveRasterCanvas final : public WaveCanvas
{
public:
    WaveRasterCanvas(QImage &image, int top, WaveGlyphs &glyphs);

    [[nodiscard]] int width() const override { return m_image.width(); }
    void fillRect(const QRect &rect, QRgb color) override;
    void drawSlantedLine(QPoint from, QPoint to, QRgb color) override;
    void drawText(QPoint at, const QString &text) override;

private:
    // The band's rect in picture rows, clipped to the picture and the band.
    [[nodiscard]] QRect clipped(const QRect &rect) const;

    QImage &m_image;
    int m_top;
    WaveGlyphs &m_glyphs;
};
