#pragma once

#include <QString>

#include <functional>

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
    // A question with Yes and No that does not hold up the caller, for asking
    // while a wait on the serial line goes on: answered runs later with true
    // for Yes. Here it is asked and answered at once.
    virtual void askYesNoLater(const QString &title, const QString &text, std::function<void(bool yes)> answered)
    {
        answered(askYesNo(title, text));
    }
    // The chosen path, or an empty string when the dialog was cancelled.
    [[nodiscard]] virtual QString openFileName(const QString &filter) = 0;
    [[nodiscard]] virtual QString saveFileName(const QString &filter, const QString &proposedName) = 0;
    // The same, and which of the filter's entries was chosen (from 0; -1 when
    // the dialog does not tell), for a caller that writes several formats.
    [[nodiscard]] virtual QString saveFileNameAndFilter(const QString &filter, const QString &proposedName, int *chosenFilter)
    {
        *chosenFilter = -1;
        return saveFileName(filter, proposedName);
    }
};
