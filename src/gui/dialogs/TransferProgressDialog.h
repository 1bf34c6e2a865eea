#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;

// The progress dialog of an EEPROM transfer, shown without blocking while the
// transfer runs. isRunning() is true from the moment it is shown until it is
// closed (Cancel, the close box or Escape): the transfer loop reads it after
// every slot, and that is the only way the user stops a transfer. Minimising
// the dialog or the main window hides it without closing it. The main window
// owns the one instance, so isRunning() is process-wide.
class TransferProgressDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TransferProgressDialog)

public:
    static constexpr int BarMaximum = 500;

    explicit TransferProgressDialog(QWidget *parent = nullptr);

    [[nodiscard]] bool isRunning() const { return m_running; }
    // "Downloading..." or "Uploading...".
    void setOperation(const QString &text);
    // Slot j just went through; the bar is full from slot 500 on.
    void setPosition(int slot);
    [[nodiscard]] int position() const;

    void onShown();
    void onClosed();
    void cancel();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void centreOnScreen();

    QLabel *m_operationLabel;
    QProgressBar *m_progressBar;
    QPushButton *m_cancelButton;
    QLabel *m_spacerLabel;
    QStatusBar *m_statusBar;
    bool m_running = false;
};
