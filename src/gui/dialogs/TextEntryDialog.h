#pragma once

#include "gui/dialogs/ZoqDialog.h"

class QLineEdit;
class QPushButton;

// A labelled one-line entry box with "Ok" and "Cancel"; Enter in the box is Ok.
// The box limits what the user types to maxLength characters.
class TextEntryDialog : public ZoqDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TextEntryDialog)

public:
    TextEntryDialog(const QString &caption, const QString &label, int maxLength, QWidget *parent = nullptr);

    // Puts text in the box, runs the dialog modally and tells whether it
    // ended with Ok; the box's text is then in text().
    [[nodiscard]] bool execWith(const QString &text);
    // Puts text in the box, as execWith does before it opens. A text longer
    // than the box's limit is kept whole; typing cannot lengthen it further.
    void setText(const QString &text);
    [[nodiscard]] QString text() const;

    [[nodiscard]] QLineEdit *box() const { return m_box; }
    [[nodiscard]] QPushButton *okButton() const { return m_ok; }
    [[nodiscard]] QPushButton *cancelButton() const { return m_cancel; }

private:
    QLineEdit *m_box;
    int m_limit;
    QPushButton *m_ok;
    QPushButton *m_cancel;
};
