#include "gui/mainwindow/ShortcutPassThrough.h"

#include <QKeyEvent>
#include <QWidget>

ShortcutPassThrough::ShortcutPassThrough(QWidget *control, const QList<QKeySequence> &keys)
    : QObject(control)
    , m_keys(keys)
{
    control->installEventFilter(this);
    for (QWidget *inner : control->findChildren<QWidget *>())
        inner->installEventFilter(this);
}

bool ShortcutPassThrough::eventFilter(QObject *, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    const QKeySequence pressed(static_cast<QKeyEvent *>(event)->keyCombination());
    if (!m_keys.contains(pressed))
        return false;
    // Left unaccepted, the key goes on to the window's shortcut.
    event->ignore();
    return true;
}
