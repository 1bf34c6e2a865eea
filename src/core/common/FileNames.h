#pragma once

#include <QDir>
#include <QString>

#include <algorithm>

// The extension of a file name: the text from the last dot of its file name
// (a dot in a folder name does not count), empty when it has none.
[[nodiscard]] inline QString fileExtension(const QString &name)
{
    const qsizetype fileStart =
        std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QDir::separator())) + 1;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= fileStart ? name.mid(dot) : QString();
}

// The name a save dialog's answer is written under: unchanged when the file
// name already ends in ext (compared without regard to case), else ext is
// appended to the whole name:
//   withExtension("codes", ".bin") == "codes.bin"
//   withExtension("codes.txt", ".bin") == "codes.txt.bin"
//   withExtension("KEYS.BIN", ".bin") == "KEYS.BIN"
[[nodiscard]] inline QString withExtension(const QString &name, const QString &ext)
{
    return fileExtension(name).compare(ext, Qt::CaseInsensitive) == 0 ? name : name + ext;
}
