#include "cli/CliPrompt.h"

void CliPrompt::notice(const QString &, const QString &text)
{
    m_notices.append(text);
}

bool CliPrompt::answer(const QString &text)
{
    if (m_questions == Questions::Confirm)
        return true;
    m_declined.append(text);
    return false;
}

bool CliPrompt::askYesNo(const QString &, const QString &text)
{
    return answer(text);
}

Prompt::Answer CliPrompt::askYesNoCancel(const QString &, const QString &text)
{
    return answer(text) ? Answer::Yes : Answer::Cancel;
}

QString CliPrompt::openFileName(const QString &)
{
    return {};
}

QString CliPrompt::saveFileName(const QString &, const QString &)
{
    return {};
}
