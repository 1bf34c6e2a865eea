#include "gui/grid/SendButtonArt.h"

#include <QPainter>
#include <QPolygon>

namespace SendButtonArt {
namespace {

const QColor Face(150, 150, 150);
const QColor Light(230, 230, 230);
const QColor Shade(90, 90, 90);
const QColor Edge(0, 0, 0);
const QColor IdleGlyph(255, 255, 255);
const QColor CurrentGlyph(255, 255, 0);

void drawRaisedFrame(QPainter &p)
{
    const int r = Width - 1;
    const int b = Height - 1;
    p.fillRect(0, 0, Width, Height, Face);
    p.setPen(Light);
    p.drawLine(0, 0, r - 1, 0);
    p.drawLine(0, 0, 0, b - 1);
    p.setPen(Edge);
    p.drawLine(0, b, r, b);
    p.drawLine(r, 0, r, b);
    p.setPen(Shade);
    p.drawLine(1, b - 1, r - 1, b - 1);
    p.drawLine(r - 1, 1, r - 1, b - 1);
}

// Three pulses between y = 4 (mark) and y = 11 (space), with a dark outline
// so the glyph reads on the grey face.
QPolygon pulseTrain()
{
    QPolygon wave;
    wave << QPoint(3, 11);
    for (int x : {5, 10, 15}) {
        wave << QPoint(x, 11) << QPoint(x, 4) << QPoint(x + 2, 4) << QPoint(x + 2, 11);
    }
    wave << QPoint(18, 11);
    return wave;
}

QImage draw(const QColor &glyph)
{
    QImage image(Width, Height, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    drawRaisedFrame(p);
    const QPolygon wave = pulseTrain();
    p.setPen(QPen(Shade, 1));
    p.drawPolyline(wave.translated(1, 1));
    p.setPen(QPen(glyph, 1));
    p.drawPolyline(wave);
    return image;
}

} // namespace

const QImage &image(Look look)
{
    static const QImage idle = draw(IdleGlyph);
    static const QImage current = draw(CurrentGlyph);
    return look == Look::Idle ? idle : current;
}

} // namespace SendButtonArt
