#include "gui/dialogs/ZoqDialog.h"

#include <QGuiApplication>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>

ZoqDialog::ZoqDialog(const QString &caption, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(caption);
}

void ZoqDialog::showEvent(QShowEvent *event)
{
    if (layout() != nullptr)
        layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    centreOnScreen();
    QDialog::showEvent(event);
    if (m_entryBox != nullptr) {
        m_entryBox->selectAll();
        m_entryBox->setFocus(Qt::OtherFocusReason);
    }
}

void ZoqDialog::centreOnScreen()
{
    const QScreen *target = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (target == nullptr)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(target->availableGeometry().center());
    move(frame.topLeft());
}
