#include "ScriptedPrompt.h"

#include <QTimer>

void ScriptedPrompt::record(const QString &kind, const QString &title, const QString &text)
{
    m_asked.append({kind, title, text});
    if (m_onAsked)
        m_onAsked(m_asked.last());
}

void ScriptedPrompt::notice(const QString &title, const QString &text)
{
    record(QStringLiteral("notice"), title, text);
}

bool ScriptedPrompt::askYesNo(const QString &title, const QString &text)
{
    record(QStringLiteral("yesno"), title, text);
    return takeAnswer(text, Answer::No) == Answer::Yes;
}

Prompt::Answer ScriptedPrompt::askYesNoCancel(const QString &title, const QString &text)
{
    record(QStringLiteral("yesnocancel"), title, text);
    return takeAnswer(text, Answer::Cancel);
}

void ScriptedPrompt::askYesNoLater(const QString &title, const QString &text, std::function<void(bool yes)> answered)
{
    record(QStringLiteral("yesno"), title, text);
    QTimer::singleShot(m_laterAnswerDelayMs, [this, text, answered = std::move(answered)] {
        answered(takeAnswer(text, Answer::No) == Answer::Yes);
    });
}

QString ScriptedPrompt::openFileName(const QString &filter)
{
    record(QStringLiteral("open"), filter, QString());
    return takeFileName(QStringLiteral("open dialog"));
}

QString ScriptedPrompt::saveFileName(const QString &filter, const QString &proposedName)
{
    record(QStringLiteral("save"), filter, proposedName);
    return takeFileName(QStringLiteral("save dialog"));
}

QStringList ScriptedPrompt::texts() const
{
    QStringList result;
    for (const Asked &a : m_asked) {
        if (a.kind != QLatin1String("open") && a.kind != QLatin1String("save"))
            result.append(a.text);
    }
    return result;
}

void ScriptedPrompt::clear()
{
    m_answers.clear();
    m_fileNames.clear();
    m_asked.clear();
    m_unexpected.clear();
    m_laterAnswerDelayMs = 0;
    m_onAsked = nullptr;
}

Prompt::Answer ScriptedPrompt::takeAnswer(const QString &text, Answer fallback)
{
    if (m_answers.isEmpty()) {
        m_unexpected.append(text);
        return fallback;
    }
    return m_answers.takeFirst();
}

QString ScriptedPrompt::takeFileName(const QString &what)
{
    if (m_fileNames.isEmpty()) {
        m_unexpected.append(what);
        return QString();
    }
    return m_fileNames.takeFirst();
}
