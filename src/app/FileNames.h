#pragma once

#include <QDir>
#include <QString>

#include <algorithm>

// The name a save dialog's answer is written under: unchanged when the file
// name already ends in ext (compared without regard to case), else ext is
// appended to the whole name. The extension is the text from the last dot of
// the file name, so a dot in a folder name does not count:
//   withExtension("codes", ".bin") == "codes.bin"
//   withExtension("codes.txt", ".bin") == "codes.txt.bin"
//   withExtension("KEYS.BIN", ".bin") == "KEYS.BIN"
[[nodiscard]] inline QString withExtension(const QString &name, const QString &ext)
{
    const qsizetype fileStart =
        std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QDir::separator())) + 1;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= fileStart && QStringView(name).mid(dot).compare(ext, Qt::CaseInsensitive) == 0)
        return name;
    return name + ext;
}
