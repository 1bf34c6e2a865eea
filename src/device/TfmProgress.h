#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;

// The progress dialog of an EEPROM transfer, shown without blocking while the
// transfer runs. bProgress is true from the moment it is shown until it is
// closed (Cancel, the close box or Escape): the transfer loop reads it after
// every slot, and that is the only way the user stops a transfer. Minimising
// the dialog or the main window hides it without closing it. The main window
// owns the one instance, so bProgress is process-wide.
class TfmProgress final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmProgress)

public:
    static constexpr int BarMaximum = 500;

    explicit TfmProgress(QWidget *parent = nullptr);

    [[nodiscard]] bool bProgress() const { return m_bProgress; }
    // "Downloading..." or "Uploading...".
    void setOperation(const QString &text);
    // Slot j just went through; the bar is full from slot 500 on.
    void setPosition(int slot);
    [[nodiscard]] int position() const;

    void FormShow();
    void FormClose();
    void CancelClick();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void centreOnScreen();

    QLabel *Label1;
    QProgressBar *ProgressBar1;
    QPushButton *Cancel;
    QLabel *Label2;
    QStatusBar *StatusBar1;
    bool m_bProgress = false;
};
