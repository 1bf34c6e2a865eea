#pragma once

#include "core/common/Prompt.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// A prompt that answers from a script and records what it was asked.
// Unscripted questions answer No/Cancel and unscripted file dialogs cancel;
// both are recorded in unexpected() so a test can fail on them. A question
// asked to be answered later takes its answer from the same script once the
// event loop has run for the chosen delay.
class ScriptedPrompt final : public Prompt
{
public:
    struct Asked
    {
        QString kind;   // "notice", "yesno", "yesnocancel", "open", "save"
        QString title;  // message title, or the dialog filter
        QString text;   // message text, or the proposed file name
    };

    void queueAnswer(Answer answer) { m_answers.append(answer); }
    void queueFileName(const QString &path) { m_fileNames.append(path); }
    void setLaterAnswerDelay(int ms) { m_laterAnswerDelayMs = ms; }
    // Runs for every notice, question and file dialog as it is asked.
    void setOnAsked(std::function<void(const Asked &)> hook) { m_onAsked = std::move(hook); }

    void notice(const QString &title, const QString &text) override;
    bool askYesNo(const QString &title, const QString &text) override;
    Answer askYesNoCancel(const QString &title, const QString &text) override;
    void askYesNoLater(const QString &title, const QString &text, std::function<void(bool yes)> answered) override;
    QString openFileName(const QString &filter) override;
    QString saveFileName(const QString &filter, const QString &proposedName) override;

    [[nodiscard]] const QList<Asked> &asked() const { return m_asked; }
    // The texts of every notice and question, in order.
    [[nodiscard]] QStringList texts() const;
    [[nodiscard]] const QStringList &unexpected() const { return m_unexpected; }
    [[nodiscard]] bool allAnswersUsed() const { return m_answers.isEmpty() && m_fileNames.isEmpty(); }
    void clear();

private:
    void record(const QString &kind, const QString &title, const QString &text);
    Answer takeAnswer(const QString &text, Answer fallback);
    QString takeFileName(const QString &what);

    QList<Answer> m_answers;
    QStringList m_fileNames;
    QList<Asked> m_asked;
    QStringList m_unexpected;
    int m_laterAnswerDelayMs = 0;
    std::function<void(const Asked &)> m_onAsked;
};
