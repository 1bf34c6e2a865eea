#pragma once

#include "core/common/Prompt.h"

#include <QStringList>

// The prompt of the command-line tool. It never waits for an answer: the
// command line answers every question. A command whose own words confirm
// what the core asks (download: "Download will replace data in EEPROM ...")
// sets Questions::Confirm; otherwise questions are answered No (Cancel).
// Notices are kept in notices(): the commands tell the outcome in their own
// words on stderr. File dialogs are cancelled: commands name their files.
class CliPrompt final : public Prompt
{
public:
    enum class Questions { Decline, Confirm };

    void setQuestions(Questions questions) { m_questions = questions; }

    void notice(const QString &title, const QString &text) override;
    bool askYesNo(const QString &title, const QString &text) override;
    Answer askYesNoCancel(const QString &title, const QString &text) override;
    QString openFileName(const QString &filter) override;
    QString saveFileName(const QString &filter, const QString &proposedName) override;

    [[nodiscard]] const QStringList &notices() const { return m_notices; }

private:
    [[nodiscard]] bool answer() const { return m_questions == Questions::Confirm; }

    Questions m_questions = Questions::Decline;
    QStringList m_notices;
};
