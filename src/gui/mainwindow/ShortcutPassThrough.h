#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

class QWidget;

// Leaves some keys to the window's shortcuts while a control that would
// otherwise take them for itself has the focus (an editable combo box takes
// Ctrl+Z for its own text): the control declines to override them.
class ShortcutPassThrough final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShortcutPassThrough)

public:
    // Watches control and every widget inside it.
    ShortcutPassThrough(QWidget *control, const QList<QKeySequence> &keys);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QKeySequence> m_keys;
};
