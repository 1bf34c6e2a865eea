#include "gui/mainwindow/AnchoredPlacement.h"

#include <QEvent>
#include <QWidget>

AnchoredPlacement::AnchoredPlacement(QWidget *container, QSize designSize)
    : QObject(container)
    , m_container(container)
    , m_designSize(designSize)
{
    container->installEventFilter(this);
}

void AnchoredPlacement::place(QWidget *widget, QRect designRect, Anchors anchors)
{
    m_items.append({widget, designRect, anchors});
    widget->setGeometry(placed(designRect, anchors, m_designSize, m_container->size()));
}

QRect AnchoredPlacement::placed(QRect r, Anchors anchors, QSize designSize, QSize size)
{
    const int dx = size.width() - designSize.width();
    const int dy = size.height() - designSize.height();
    int left = r.left();
    int width = r.width();
    if (anchors.testFlag(Right)) {
        if (anchors.testFlag(Left))
            width += dx;
        else
            left += dx;
    }
    int top = r.top();
    int height = r.height();
    if (anchors.testFlag(Bottom)) {
        if (anchors.testFlag(Top))
            height += dy;
        else
            top += dy;
    }
    return QRect(left, top, qMax(0, width), qMax(0, height));
}

bool AnchoredPlacement::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_container && event->type() == QEvent::Resize)
        relayout();
    return QObject::eventFilter(watched, event);
}

void AnchoredPlacement::relayout()
{
    for (const Item &item : std::as_const(m_items)) {
        if (item.widget)
            item.widget->setGeometry(placed(item.designRect, item.anchors, m_designSize, m_container->size()));
    }
}
