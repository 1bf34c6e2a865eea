#pragma once

#include <QDialog>

class QLineEdit;

// Common frame of the small dialogs: only a close box in the title bar, the
// size follows the content, and every showing is centred on the screen. When
// an entry box is set, it gets the keyboard focus with its whole text
// selected each time the dialog opens. Closing by the close box rejects.
class ZoqDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ZoqDialog)

public:
    explicit ZoqDialog(const QString &caption, QWidget *parent = nullptr);

protected:
    void setEntryBox(QLineEdit *box) { m_entryBox = box; }
    void showEvent(QShowEvent *event) override;

private:
    void centreOnScreen();

    QLineEdit *m_entryBox = nullptr;
};
