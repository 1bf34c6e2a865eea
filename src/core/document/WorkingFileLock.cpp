#include "core/document/WorkingFileLock.h"

#include "core/common/ZoqError.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

WorkingFileLock::WorkingFileLock() = default;

WorkingFileLock::~WorkingFileLock() = default;

void WorkingFileLock::acquire(const QString &path)
{
    if (isHeld() && m_path == path)
        return;
    release();
    const QString lockPath = path + QLatin1String(".lock");
    // The lock of another copy is read to see whether its owner lives: a pipe
    // there would block that read for good, a device never end it.
    const QFileInfo lockFile(lockPath);
    if (lockFile.exists() && !lockFile.isFile()) {
        throw ZoqError(QStringLiteral("Cannot use the lock file \"%1\": it is not a regular file.")
                           .arg(QDir::toNativeSeparators(lockPath)));
    }
    auto lock = std::make_unique<QLockFile>(lockPath);
    // The other copy may run for hours: only a lock whose owner has died is stale.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        m_path = path;
        m_lock = std::move(lock);
        return;
    }
    if (lock->error() == QLockFile::LockFailedError) {
        throw ZoqError(QStringLiteral("%1 is in use by another running copy of the program.")
                           .arg(QFileInfo(path).fileName()));
    }
    throw ZoqError(
        QStringLiteral("Cannot create the lock file \"%1.lock\".").arg(QDir::toNativeSeparators(path)));
}

void WorkingFileLock::release()
{
    m_lock.reset();
    m_path.clear();
}

bool WorkingFileLock::isHeld() const
{
    return m_lock != nullptr;
}

QString WorkingFileLock::path() const
{
    return m_path;
}
