#include "core/common/SafeFile.h"

#include "core/common/ZoqError.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace SafeFile {

namespace {

[[noreturn]] void fail(const QString &path, const QString &reason)
{
    throw ZoqError(QStringLiteral("Cannot write \"%1\": %2.").arg(QDir::toNativeSeparators(path), reason));
}

} // namespace

void write(const QString &path, const QByteArray &bytes, Fallback fallback)
{
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        fail(path, QStringLiteral("it is not a regular file"));
    QSaveFile file(path);
    file.setDirectWriteFallback(fallback == Fallback::OverwriteInPlace);
    if (!file.open(QIODevice::WriteOnly))
        fail(path, file.errorString());
    // The flush is checked here: commit() would rename a file whose last
    // bytes never reached the disk.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        fail(path, reason);
    }
    if (::fsync(file.handle()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        file.cancelWriting();
        fail(path, reason);
    }
    if (!file.commit())
        fail(path, file.errorString());
}

} // namespace SafeFile
