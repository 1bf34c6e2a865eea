#pragma once

#include <QByteArray>
#include <QString>

class QFile;

// Every file the program writes goes through here, and every file it reads
// from outside. The bytes are written beside the target, flushed to the disk,
// and renamed over the target only when every step succeeded, so a failure (a
// full disk, a folder without write access) leaves an existing file exactly
// as it was. A failure throws ZoqError: "Cannot write "<path>": <reason>."
//
// Only regular files (or links to them) are read or written: a pipe would
// block the program in open() for good, and a device such as /dev/zero never
// ends. A refused read throws ZoqError: "Cannot open file "<path>". <reason>"
namespace SafeFile {

enum class Fallback {
    None,
    // A folder that takes no new files still has its existing file
    // overwritten in place (not atomically).
    OverwriteInPlace,
};

// Replaces the file at path with bytes. A path that names something other
// than a regular file (a folder, a device, a pipe) is refused: nothing is
// written through it.
void write(const QString &path, const QByteArray &bytes, Fallback fallback = Fallback::None);

// Opens file (whose name is set) for reading when it names a regular file.
// Anything else is refused at once, without waiting on it.
void openForReading(QFile &file);

// The whole regular file at path; one larger than limit bytes is refused
// before anything of it is read.
[[nodiscard]] QByteArray read(const QString &path, qint64 limit);

} // namespace SafeFile
