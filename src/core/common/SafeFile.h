#pragma once

#include <QByteArray>
#include <QString>

// Every file the program writes goes through here. The bytes are written
// beside the target, flushed to the disk, and renamed over the target only
// when every step succeeded, so a failure (a full disk, a folder without
// write access) leaves an existing file exactly as it was. A failure throws
// ZoqError: "Cannot write "<path>": <reason>."
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

} // namespace SafeFile
