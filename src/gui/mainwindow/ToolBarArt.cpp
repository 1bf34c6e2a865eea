#include "gui/mainwindow/ToolBarArt.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ToolBarArt {
namespace {

// Every picture is drawn on a 32 x 32 grid.
constexpr int DesignSize = 32;

const QColor Ink(40, 48, 64);
const QColor Paper(250, 250, 244);
const QColor Accent(200, 30, 30);
const QColor Blue(40, 90, 190);

void drawPage(QPainter &p)
{
    QPainterPath page;
    page.moveTo(7, 3);
    page.lineTo(20, 3);
    page.lineTo(26, 9);
    page.lineTo(26, 29);
    page.lineTo(7, 29);
    page.closeSubpath();
    p.setPen(QPen(Ink, 1.5));
    p.setBrush(Paper);
    p.drawPath(page);
    p.drawLine(QPointF(20, 3), QPointF(20, 9));
    p.drawLine(QPointF(20, 9), QPointF(26, 9));
}

void drawPulses(QPainter &p, QRectF r, QColor colour)
{
    p.setPen(QPen(colour, 2));
    p.setBrush(Qt::NoBrush);
    const qreal low = r.bottom();
    const qreal high = r.top();
    const qreal step = r.width() / 6;
    QPainterPath wave;
    wave.moveTo(r.left(), low);
    for (int i = 0; i < 3; ++i) {
        const qreal x = r.left() + step * (2 * i);
        wave.lineTo(x + step * 0.5, low);
        wave.lineTo(x + step * 0.5, high);
        wave.lineTo(x + step * 1.5, high);
        wave.lineTo(x + step * 1.5, low);
    }
    wave.lineTo(r.right(), low);
    p.drawPath(wave);
}

void drawArrow(QPainter &p, bool up)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Blue);
    QPolygonF arrow;
    if (up)
        arrow << QPointF(16, 2) << QPointF(26, 12) << QPointF(20, 12) << QPointF(20, 20) << QPointF(12, 20) << QPointF(12, 12) << QPointF(6, 12);
    else
        arrow << QPointF(16, 20) << QPointF(26, 10) << QPointF(20, 10) << QPointF(20, 2) << QPointF(12, 2) << QPointF(12, 10) << QPointF(6, 10);
    p.drawPolygon(arrow);
    // the module, a small box with an IR window
    p.setPen(QPen(Ink, 1.5));
    p.setBrush(QColor(90, 96, 110));
    p.drawRoundedRect(QRectF(5, 22, 22, 8), 2, 2);
    p.setBrush(Accent);
    p.drawEllipse(QPointF(23, 26), 2, 2);
}

void drawMagnifier(QPainter &p, const QString &sign)
{
    p.setPen(QPen(Ink, 2.5));
    p.setBrush(QColor(220, 235, 250));
    p.drawEllipse(QPointF(13, 13), 8, 8);
    p.drawLine(QPointF(19, 19), QPointF(28, 28));
    p.setPen(QPen(Ink, 2));
    if (sign == QLatin1String("+") || sign == QLatin1String("-"))
        p.drawLine(QPointF(9, 13), QPointF(17, 13));
    if (sign == QLatin1String("+"))
        p.drawLine(QPointF(13, 9), QPointF(13, 17));
    if (sign == QLatin1String("1")) {
        QFont f = p.font();
        f.setPixelSize(9);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(5, 5, 16, 16), Qt::AlignCenter, QStringLiteral("1:1"));
    }
}

void paint(QPainter &p, Picture picture)
{
    switch (picture) {
    case Picture::New:
        drawPage(p);
        p.setPen(QPen(Accent, 2));
        p.drawLine(QPointF(11, 18), QPointF(21, 18));
        p.drawLine(QPointF(16, 13), QPointF(16, 23));
        break;
    case Picture::Open: {
        p.setPen(QPen(Ink, 1.5));
        p.setBrush(QColor(236, 196, 92));
        p.drawRect(QRectF(3, 9, 24, 18));
        p.drawRect(QRectF(3, 6, 10, 4));
        p.setBrush(QColor(250, 220, 130));
        QPolygonF front;
        front << QPointF(7, 14) << QPointF(30, 14) << QPointF(26, 27) << QPointF(3, 27);
        p.drawPolygon(front);
        break;
    }
    case Picture::Save:
        p.setPen(QPen(Ink, 1.5));
        p.setBrush(QColor(70, 100, 170));
        p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
        p.setBrush(Paper);
        p.drawRect(QRectF(9, 4, 14, 9));
        p.setBrush(QColor(200, 200, 210));
        p.drawRect(QRectF(8, 18, 16, 10));
        break;
    case Picture::Compile:
        p.setPen(QPen(Ink, 1.5));
        p.setBrush(QColor(60, 60, 70));
        p.drawRect(QRectF(8, 8, 16, 16));
        for (int i = 0; i < 4; ++i) {
            const qreal at = 10 + i * 4;
            p.drawLine(QPointF(at, 4), QPointF(at, 8));
            p.drawLine(QPointF(at, 24), QPointF(at, 28));
            p.drawLine(QPointF(4, at), QPointF(8, at));
            p.drawLine(QPointF(24, at), QPointF(28, at));
        }
        drawPulses(p, QRectF(10, 12, 12, 8), QColor(255, 210, 60));
        break;
    case Picture::Upload:
        drawArrow(p, true);
        break;
    case Picture::Download:
        drawArrow(p, false);
        break;
    case Picture::About:
        p.setPen(QPen(Ink, 1.5));
        p.setBrush(Blue);
        p.drawEllipse(QRectF(3, 3, 26, 26));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(16, 10), 2.2, 2.2);
        p.drawRect(QRectF(14, 14, 4, 11));
        break;
    case Picture::ZoomIn:
        drawMagnifier(p, QStringLiteral("+"));
        break;
    case Picture::NormalSize:
        drawMagnifier(p, QStringLiteral("1"));
        break;
    case Picture::ZoomOut:
        drawMagnifier(p, QStringLiteral("-"));
        break;
    case Picture::ClearWave:
        drawPulses(p, QRectF(3, 6, 26, 12), Accent);
        p.setPen(QPen(Ink, 2.5));
        p.drawLine(QPointF(6, 22), QPointF(26, 30));
        p.drawLine(QPointF(6, 30), QPointF(26, 22));
        break;
    case Picture::AppIcon:
        p.setPen(QPen(Ink, 1.5));
        p.setBrush(QColor(60, 64, 76));
        p.drawRoundedRect(QRectF(9, 2, 14, 28), 4, 4);
        p.setBrush(Accent);
        p.drawEllipse(QPointF(16, 7), 2.5, 2.5);
        drawPulses(p, QRectF(2, 14, 28, 8), QColor(255, 210, 60));
        break;
    }
}

} // namespace

QIcon icon(Picture picture)
{
    return QIcon(QPixmap::fromImage(image(picture, DesignSize)));
}

QImage image(Picture picture, int size)
{
    QImage drawn(size, size, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    draw(drawn, picture, size);
    return drawn;
}

void draw(QPaintDevice &device, Picture picture, int size)
{
    QPainter painter(&device);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(qreal(size) / DesignSize, qreal(size) / DesignSize);
    paint(painter, picture);
}

} // namespace ToolBarArt
