#pragma once

#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QString>

// What WaveRenderer draws one band on: a picture of pixels or a vector
// drawing. Coordinates are pixels of the band, (0, 0) at its top left; the
// canvas clips to its width and the band's 50 rows.
class WaveCanvas
{
public:
    virtual ~WaveCanvas() = default;

    [[nodiscard]] virtual int width() const = 0;
    virtual void fillRect(const QRect &rect, QRgb color) = 0;
    // The pixels of a line that is neither level nor upright, from `from` up
    // to but not including `to`.
    virtual void drawSlantedLine(QPoint from, QPoint to, QRgb color) = 0;
    // Text in the strip's font, opaque on the background, its cell's top left at `at`.
    virtual void drawText(QPoint at, const QString &text) = 0;
};
