#include "core/device/PortOpenFailure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString PlugInRemedy = QStringLiteral(
    "Check that the adapter is plugged in, or assign its device to this port with \"Serial ports...\" "
    "beside the COM box.");

QString systemText(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

// The path QSerialPort opens for a name: a bare name lives in /dev.
QString systemLocation(const QString &name)
{
    const bool isPath = name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1String("./"))
        || name.startsWith(QLatin1String("../"));
    return isPath ? name : QStringLiteral("/dev/") + name;
}

QString groupName(gid_t gid)
{
    const group *entry = ::getgrgid(gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString::number(gid);
}

QString userName(uid_t uid)
{
    const passwd *entry = ::getpwuid(uid);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(uid);
}

// Whether this process runs with gid among its groups.
bool sessionHasGroup(gid_t gid)
{
    if (::getegid() == gid)
        return true;
    const int count = ::getgroups(0, nullptr);
    QList<gid_t> groups(qMax(count, 0));
    const int got = ::getgroups(int(groups.size()), groups.data());
    return groups.first(qMax(got, 0)).contains(gid);
}

// Whether the user database lists the user among the members of gid, which a
// session started before the user was added does not show yet.
bool userDatabaseHasGroup(gid_t gid)
{
    const passwd *user = ::getpwuid(::geteuid());
    if (!user)
        return false;
    int count = 64;
    QList<gid_t> groups(count);
    if (::getgrouplist(user->pw_name, user->pw_gid, groups.data(), &count) < 0) {
        groups.resize(count);
        if (::getgrouplist(user->pw_name, user->pw_gid, groups.data(), &count) < 0)
            return false;
    }
    return groups.first(count).contains(gid);
}

// The lock file of the port at path, found where serial programs put it:
// "LCK..<device name>" in a lock folder, with the process id of its holder
// on the first line.
struct PortLock
{
    QString file;
    qint64 pid = 0;
    bool holderRuns = false;
    QString holderName; // empty when unknown
};

std::optional<PortLock> findLock(const QString &path)
{
    QString device = path.startsWith(QLatin1String("/dev/")) ? path.mid(5) : path;
    device.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString lockName = QStringLiteral("LCK..") + device;
    for (const QString &folder : {QStringLiteral("/var/lock"), QStringLiteral("/run/lock"), QStringLiteral("/etc/locks"),
                                  QStringLiteral("/var/spool/locks"), QStringLiteral("/var/spool/uucp"),
                                  QStringLiteral("/tmp"), QStringLiteral("/var/tmp"), QDir::tempPath()}) {
        QFile lock(QDir(folder).filePath(lockName));
        if (!lock.open(QIODevice::ReadOnly))
            continue;
        PortLock found;
        found.file = lock.fileName();
        found.pid = lock.readLine(64).trimmed().toLongLong();
        found.holderRuns = found.pid > 0 && (::kill(pid_t(found.pid), 0) == 0 || errno == EPERM);
        QFile comm(QStringLiteral("/proc/%1/comm").arg(found.pid));
        if (found.holderRuns && comm.open(QIODevice::ReadOnly))
            found.holderName = QString::fromLocal8Bit(comm.readAll().trimmed());
        return found;
    }
    return std::nullopt;
}

} // namespace

PortOpenFailure::PortOpenFailure(Kind kind, const QString &path, const QString &reason, const QString &remedy)
    : m_kind(kind)
    , m_path(path)
    , m_reason(reason)
    , m_remedy(remedy)
{
}

PortOpenFailure PortOpenFailure::noPortChosen()
{
    return PortOpenFailure(Kind::NoPortChosen, QString(), QStringLiteral("No port is chosen."),
                           QStringLiteral("Choose one of COM1 to COM8 in the COM box."));
}

PortOpenFailure PortOpenFailure::diagnose(const QString &name, QSerialPort::SerialPortError error,
                                          const QString &errorText)
{
    const QString path = systemLocation(name);
    if (!QFileInfo::exists(path))
        return notFound(path, QString());
    // Non-blocking: a port without carrier must not hold the program up.
    const int probe = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (probe < 0)
        return fromErrno(errno, path);
    ::close(probe);
    // The device itself opens: what refused was the lock file of another
    // program that holds the port.
    if (error == QSerialPort::PermissionError)
        return busy(path);
    return PortOpenFailure(Kind::Other, path, QStringLiteral("%1: %2.").arg(path, errorText), QString());
}

PortOpenFailure PortOpenFailure::fromErrno(int errorNumber, const QString &path)
{
    switch (errorNumber) {
    case ENOENT:
    case ENOTDIR:
        return notFound(path, QString());
    case ENXIO:
    case ENODEV:
    case EIO:
        return notFound(path, systemText(errorNumber));
    case EACCES:
    case EPERM:
        return permissionDenied(path);
    case EBUSY:
        return busy(path);
    default:
        return PortOpenFailure(Kind::Other, path, QStringLiteral("%1: %2.").arg(path, systemText(errorNumber)),
                               QString());
    }
}

PortOpenFailure PortOpenFailure::notFound(const QString &path, const QString &systemText)
{
    const QFileInfo info(path);
    QString reason;
    if (!systemText.isEmpty())
        reason = QStringLiteral("No serial device answers at %1 (%2).").arg(path, systemText);
    else if (info.isSymLink())
        reason = QStringLiteral("There is no device at %1 (a link to %2).").arg(path, info.symLinkTarget());
    else
        reason = QStringLiteral("There is no device at %1.").arg(path);
    return PortOpenFailure(Kind::NotFound, path, reason, PlugInRemedy);
}

PortOpenFailure PortOpenFailure::permissionDenied(const QString &path)
{
    struct stat status{};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return PortOpenFailure(Kind::PermissionDenied, path, QStringLiteral("Permission denied: %1.").arg(path),
                               QStringLiteral("Ask the administrator for read and write access to it."));
    const QString group = groupName(status.st_gid);
    // Joining the group helps only when the group may read and write the
    // device, and "root" is no group to join.
    const bool groupMayUse = (status.st_mode & S_IRGRP) && (status.st_mode & S_IWGRP) && status.st_gid != 0;
    if (groupMayUse && !sessionHasGroup(status.st_gid)) {
        if (userDatabaseHasGroup(status.st_gid))
            return PortOpenFailure(Kind::PermissionDenied, path,
                                   QStringLiteral("Permission denied: %1 belongs to the group \"%2\", which you "
                                                  "joined after this session began.")
                                       .arg(path, group),
                                   QStringLiteral("Log out and in again."));
        return PortOpenFailure(
            Kind::PermissionDenied, path,
            QStringLiteral("Permission denied: %1 belongs to the group \"%2\", and you are not a member of it.")
                .arg(path, group),
            QStringLiteral("Join the group with\n    sudo usermod -aG %1 $USER\nthen log out and in again.").arg(group));
    }
    return PortOpenFailure(Kind::PermissionDenied, path,
                           QStringLiteral("Permission denied: %1 (owner %2, group %3, mode %4).")
                               .arg(path, userName(status.st_uid), group)
                               .arg(status.st_mode & 07777, 4, 8, QLatin1Char('0')),
                           QStringLiteral("Ask the administrator for read and write access to it."));
}

PortOpenFailure PortOpenFailure::busy(const QString &path)
{
    const QString closeRemedy = QStringLiteral("Close that program, or choose another port.");
    const std::optional<PortLock> lock = findLock(path);
    if (!lock)
        return PortOpenFailure(Kind::Busy, path, QStringLiteral("%1 is in use by another program.").arg(path), closeRemedy);
    if (lock->holderRuns) {
        const QString holder = lock->holderName.isEmpty()
            ? QStringLiteral("process %1").arg(lock->pid)
            : QStringLiteral("%1, process %2").arg(lock->holderName).arg(lock->pid);
        return PortOpenFailure(Kind::Busy, path,
                               QStringLiteral("%1 is in use by another program (%2).").arg(path, holder), closeRemedy);
    }
    // A program that ended without removing its lock file, which another
    // user may not remove.
    return PortOpenFailure(Kind::StaleLock, path,
                           QStringLiteral("%1 is locked by %2, which a program that has ended left behind.")
                               .arg(path, lock->file),
                           QStringLiteral("Remove it with\n    sudo rm %1\nthen choose the port again.").arg(lock->file));
}

QString PortOpenFailure::message() const
{
    QString text = QStringLiteral("Error opening serial port!\n") + m_reason;
    if (!m_remedy.isEmpty())
        text += QLatin1Char('\n') + m_remedy;
    return text;
}
