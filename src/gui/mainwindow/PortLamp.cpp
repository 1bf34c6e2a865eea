#include "gui/mainwindow/PortLamp.h"

#include <QPainter>

PortLamp::PortLamp(QWidget *parent)
    : QWidget(parent)
{
}

void PortLamp::setColor(const QColor &color)
{
    if (m_color == color)
        return;
    m_color = color;
    update();
}

void PortLamp::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(m_color);
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}
