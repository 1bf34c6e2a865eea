#pragma once

#include "gui/dialogs/ZoqDialog.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

// Asks for a row to go to, by ID or by function name. The text and the choice
// stay as the user left them from one use to the next; on opening the whole
// text is selected. Enter is "Go", Esc is "Cancel".
class GoToDialog final : public ZoqDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GoToDialog)

public:
    enum class Choice { Id, Function };

    static constexpr int MaxLength = 15;

    explicit GoToDialog(QWidget *parent = nullptr);

    // Runs the dialog modally; true when it ended with "Go".
    [[nodiscard]] bool execGoTo();
    [[nodiscard]] QString text() const;
    [[nodiscard]] Choice choice() const;

    [[nodiscard]] QLineEdit *box() const { return m_box; }
    [[nodiscard]] QRadioButton *idButton() const { return m_byId; }
    [[nodiscard]] QRadioButton *functionButton() const { return m_byFunction; }
    [[nodiscard]] QPushButton *goButton() const { return m_go; }
    [[nodiscard]] QPushButton *cancelButton() const { return m_cancel; }

private:
    QLineEdit *m_box;
    QRadioButton *m_byId;
    QRadioButton *m_byFunction;
    QPushButton *m_go;
    QPushButton *m_cancel;
};
