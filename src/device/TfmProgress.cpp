#include "device/TfmProgress.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QVBoxLayout>

TfmProgress::TfmProgress(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::WindowStaysOnTopHint)
    , Label1(new QLabel(this))
    , ProgressBar1(new QProgressBar(this))
    , Cancel(new QPushButton(QStringLiteral("Cancel"), this))
    , Label2(new QLabel(this))
    , StatusBar1(new QStatusBar(this))
{
    setWindowTitle(QStringLiteral("ZOQ"));
    setModal(false);
    ProgressBar1->setRange(0, BarMaximum);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setMinimumWidth(300);
    StatusBar1->setSizeGripEnabled(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Label2, 1);
    buttons->addWidget(Cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ProgressBar1);
    layout->addLayout(buttons);
    layout->addWidget(StatusBar1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Cancel, &QPushButton::clicked, this, &TfmProgress::CancelClick);
}

void TfmProgress::setOperation(const QString &text)
{
    Label1->setText(text);
}

void TfmProgress::setPosition(int slot)
{
    ProgressBar1->setValue(qBound(0, slot, BarMaximum));
}

int TfmProgress::position() const
{
    return ProgressBar1->value();
}

void TfmProgress::FormShow()
{
    m_bProgress = true;
    ProgressBar1->setValue(0);
}

void TfmProgress::FormClose()
{
    m_bProgress = false;
}

void TfmProgress::CancelClick()
{
    close();
}

// The window system's own show and hide events (minimising the dialog or the
// main window, restoring them) neither start nor stop anything: only show()
// and a close do.
void TfmProgress::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    centreOnScreen();
    FormShow();
}

// Closing by any means (Cancel, close box, Escape) hides the dialog, and so
// does the end of the transfer.
void TfmProgress::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        FormClose();
}

void TfmProgress::centreOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}
