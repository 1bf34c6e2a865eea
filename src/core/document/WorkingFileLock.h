#pragma once

#include <QString>

#include <memory>

class QLockFile;

// Keeps a second running copy of the program, started from the same folder,
// away from the working file of untitled documents ("Temp.~tmp") while this
// copy has it open. The lock is the file "<path>.lock"; a lock left by a
// copy that died is taken over.
class WorkingFileLock final
{
    Q_DISABLE_COPY_MOVE(WorkingFileLock)

public:
    WorkingFileLock();
    ~WorkingFileLock();

    // Holds the lock of path from now on (releasing one held on another path).
    // Holding it already does nothing. Throws ZoqError when another running
    // copy holds it or the lock file cannot be created.
    void acquire(const QString &path);
    void release();
    [[nodiscard]] bool isHeld() const;
    [[nodiscard]] QString path() const;

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
