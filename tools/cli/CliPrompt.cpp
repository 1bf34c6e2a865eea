#include "cli/CliPrompt.h"

void CliPrompt::notice(const QString &, const QString &text)
{
    m_notices.append(text);
}

bool CliPrompt::askYesNo(const QString &, const QString &)
{
    return answer();
}

Prompt::Answer CliPrompt::askYesNoCancel(const QString &, const QString &)
{
    return answer() ? Answer::Yes : Answer::Cancel;
}

QString CliPrompt::openFileName(const QString &)
{
    return {};
}

QString CliPrompt::saveFileName(const QString &, const QString &)
{
    return {};
}
