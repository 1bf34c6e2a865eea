#pragma once

#include <QCoreApplication>
#include <QFileInfo>
#include <QString>

namespace AppTexts {

// Caption of the main window; also the title of every Yes/No question.
inline QString mainCaption()
{
    return QStringLiteral("ZOQ V2.1-20091015");
}

// Title of notices: the program file's name without directory and extension,
// its first character as stored and the others in lower case.
inline QString applicationTitle()
{
    const QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (base.isEmpty())
        return QStringLiteral("Zoq");
    return base.left(1) + base.mid(1).toLower();
}

} // namespace AppTexts
