#include "gui/mainwindow/RightButtonFilter.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

RightButtonFilter::RightButtonFilter(QWidget *mainWindow)
    : QObject(mainWindow)
    , m_mainWindow(mainWindow)
{
    qApp->installEventFilter(this);
}

bool RightButtonFilter::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick)
        return false;
    if (static_cast<QMouseEvent *>(event)->button() != Qt::RightButton)
        return false;
    if (QApplication::activeWindow() != m_mainWindow)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    return widget && widget->window() == m_mainWindow;
}
