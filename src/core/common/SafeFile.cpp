#include "core/common/SafeFile.h"

#include "core/common/ZoqError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeFile {

namespace {

[[noreturn]] void fail(const QString &path, const QString &reason)
{
    throw ZoqError(QStringLiteral("Cannot write \"%1\": %2.").arg(QDir::toNativeSeparators(path), reason));
}

[[noreturn]] void refuseReading(const QString &path, const QString &reason)
{
    throw ZoqError(QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason));
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
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
        const QString reason = systemError(errno);
        file.cancelWriting();
        fail(path, reason);
    }
    if (!file.commit())
        fail(path, file.errorString());
}

void openForReading(QFile &file)
{
    const QString path = file.fileName();
    // Without O_NONBLOCK, opening a pipe waits for a writer that may never come.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        refuseReading(path, systemError(errno) + QLatin1Char('.'));
    struct stat status{};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        refuseReading(path, QStringLiteral("It is not a regular file."));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        refuseReading(path, file.errorString());
    }
}

QByteArray read(const QString &path, qint64 limit)
{
    QFile file(path);
    openForReading(file);
    // One byte more than the limit tells an oversized file without reading it all.
    const QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError)
        refuseReading(path, file.errorString());
    if (bytes.size() > limit)
        refuseReading(path, QStringLiteral("It is larger than %1 bytes.").arg(limit));
    return bytes;
}

} // namespace SafeFile
