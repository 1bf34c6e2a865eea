#pragma once

#include <QObject>

class QWidget;

// While the main window is the active window, right-button presses never
// reach its controls, so the current row and the selection stay as they are.
// Context menus still open: Qt raises them independently of the press.
class RightButtonFilter final : public QObject
{
    Q_OBJECT

public:
    explicit RightButtonFilter(QWidget *mainWindow);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_mainWindow;
};
