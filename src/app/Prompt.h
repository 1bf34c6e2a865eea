#pragma once

#include <QString>

// Every message box and file dialog of the program goes through this interface,
// so that tests answer them without a screen. File dialog filters use the
// "description|pattern|description|pattern" form ("*.zoq|*.zoq|*.bin|*.bin").
class Prompt
{
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Prompt() = default;

    // A notice with one OK button.
    virtual void notice(const QString &title, const QString &text) = 0;
    // A question with Yes and No; true for Yes.
    [[nodiscard]] virtual bool askYesNo(const QString &title, const QString &text) = 0;
    [[nodiscard]] virtual Answer askYesNoCancel(const QString &title, const QString &text) = 0;
    // The chosen path, or an empty string when the dialog was cancelled.
    [[nodiscard]] virtual QString openFileName(const QString &filter) = 0;
    [[nodiscard]] virtual QString saveFileName(const QString &filter, const QString &proposedName) = 0;
};
