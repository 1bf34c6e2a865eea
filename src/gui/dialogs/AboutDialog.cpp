#include "gui/dialogs/AboutDialog.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QVBoxLayout>

namespace {

const QColor Night(18, 30, 64);
const QColor Dusk(46, 78, 140);
const QColor Signal(255, 214, 64);
const QColor Casing(70, 74, 82);
const QColor Key(190, 196, 204);
const QColor Led(230, 40, 40);

void drawBackground(QPainter &p, const QRect &area)
{
    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0, Dusk);
    sky.setColorAt(1, Night);
    p.fillRect(area, sky);
}

void drawRemote(QPainter &p)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Casing);
    p.drawRoundedRect(QRectF(10.5, 12.5, 24, 52), 5, 5);
    p.setBrush(Led);
    p.drawEllipse(QRectF(19.5, 15.5, 6, 4));
    p.setPen(Qt::NoPen);
    p.setBrush(Key);
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 3; ++col)
            p.drawEllipse(QRectF(14 + col * 6.5, 26 + row * 9, 4.5, 4.5));
    }
    p.setPen(QPen(Signal, 1.2));
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 3; ++i)
        p.drawArc(QRectF(22.5 - 3.5 * i, 17.5 - 3.5 * i, 7 * i, 7 * i).translated(0, -2), 35 * 16, 110 * 16);
}

void drawTitle(QPainter &p)
{
    QFont big(QStringLiteral("Sans Serif"));
    big.setPixelSize(30);
    big.setBold(true);
    p.setFont(big);
    p.setPen(Qt::white);
    p.drawText(QRect(44, 6, 120, 36), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("ZOQ"));

    QFont small(QStringLiteral("Sans Serif"));
    small.setPixelSize(12);
    p.setFont(small);
    p.setPen(Signal);
    p.drawText(QRect(118, 22, 46, 18), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("V2.1"));
}

// A pulse train of short and long marks, like a learned key.
void drawPulses(QPainter &p)
{
    static constexpr int Widths[] = {10, 5, 3, 3, 3, 6, 3, 3, 3, 6, 3, 6, 3, 3, 3, 6, 3, 3, 3, 6, 3, 3};
    const qreal low = 78.5;
    const qreal high = 56.5;
    qreal x = 44.5;
    QPainterPath wave;
    wave.moveTo(x, low);
    bool mark = true;
    for (int width : Widths) {
        const qreal level = mark ? high : low;
        wave.lineTo(x, level);
        x += width;
        wave.lineTo(x, level);
        mark = !mark;
    }
    wave.lineTo(x, low);
    wave.lineTo(162.5, low);
    p.setPen(QPen(Signal, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
}

} // namespace

AboutDialog::AboutDialog(QWidget *parent)
    : ZoqDialog(QStringLiteral("About"), parent)
    , m_picture(new QLabel(this))
{
    m_picture->setPixmap(QPixmap::fromImage(drawPicture()));
    m_picture->setFixedSize(PictureWidth, PictureHeight);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_picture);
}

QImage AboutDialog::drawPicture()
{
    QImage image(PictureWidth, PictureHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawBackground(p, image.rect());
    drawRemote(p);
    drawTitle(p);
    drawPulses(p);
    return image;
}
