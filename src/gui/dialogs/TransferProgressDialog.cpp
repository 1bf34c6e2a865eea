#include "gui/dialogs/TransferProgressDialog.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QVBoxLayout>

TransferProgressDialog::TransferProgressDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::WindowStaysOnTopHint)
    , m_operationLabel(new QLabel(this))
    , m_progressBar(new QProgressBar(this))
    , m_cancelButton(new QPushButton(QStringLiteral("Cancel"), this))
    , m_spacerLabel(new QLabel(this))
    , m_statusBar(new QStatusBar(this))
{
    setWindowTitle(QStringLiteral("ZOQ"));
    setModal(false);
    m_progressBar->setRange(0, BarMaximum);
    m_progressBar->setTextVisible(false);
    m_progressBar->setMinimumWidth(300);
    m_statusBar->setSizeGripEnabled(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_spacerLabel, 1);
    buttons->addWidget(m_cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_operationLabel);
    layout->addWidget(m_progressBar);
    layout->addLayout(buttons);
    layout->addWidget(m_statusBar);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_cancelButton, &QPushButton::clicked, this, &TransferProgressDialog::cancel);
}

void TransferProgressDialog::setOperation(const QString &text)
{
    m_operationLabel->setText(text);
}

void TransferProgressDialog::setPosition(int slot)
{
    m_progressBar->setValue(qBound(0, slot, BarMaximum));
}

int TransferProgressDialog::position() const
{
    return m_progressBar->value();
}

void TransferProgressDialog::onShown()
{
    m_running = true;
    m_progressBar->setValue(0);
}

void TransferProgressDialog::onClosed()
{
    m_running = false;
}

void TransferProgressDialog::cancel()
{
    close();
}

// The window system's own show and hide events (minimising the dialog or the
// main window, restoring them) neither start nor stop anything: only show()
// and a close do.
void TransferProgressDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    centreOnScreen();
    onShown();
}

// Closing by any means (Cancel, close box, Escape) hides the dialog, and so
// does the end of the transfer.
void TransferProgressDialog::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        onClosed();
}

void TransferProgressDialog::centreOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}
