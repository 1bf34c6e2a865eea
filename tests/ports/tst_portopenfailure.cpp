#include "RawPty.h"
#include "support/ScriptedPrompt.h"
#include "core/device/PortOpenFailure.h"
#include "core/device/SerialLink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

using Kind = PortOpenFailure::Kind;
Q_DECLARE_METATYPE(Kind)

namespace {

const QString PlugInRemedy = QStringLiteral(
    "Check that the adapter is plugged in, or assign its device to this port with \"Serial ports...\" "
    "beside the COM box.");
const QString AdministratorRemedy = QStringLiteral("Ask the administrator for read and write access to it.");

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// What the opener process reported.
struct Reported
{
    Kind kind = Kind::None;
    QString message;
};

// Opens path in a process of its own: as "nobody" when this test runs as
// root, for whom file permissions and exclusive terminals do not count.
// Nothing when the opener cannot run so (a build folder "nobody" may not
// enter).
std::optional<Reported> openInOtherProcess(const QString &path)
{
    QProcess opener;
    if (runningAsRoot()) {
        const passwd *nobody = ::getpwnam("nobody");
        if (!nobody)
            qFatal("no user \"nobody\" to run the opener as");
        const uid_t uid = nobody->pw_uid;
        const gid_t gid = nobody->pw_gid;
        opener.setChildProcessModifier([uid, gid] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
                ::_exit(127);
        });
    }
    opener.start(QStringLiteral(ZOQ_PORTOPENER), {path});
    if (!opener.waitForFinished(10000) || opener.exitStatus() != QProcess::NormalExit || opener.exitCode() == 127)
        return std::nullopt;
    const QString output = QString::fromLocal8Bit(opener.readAllStandardOutput()).trimmed();
    const qsizetype lineEnd = output.indexOf(QLatin1Char('\n'));
    return Reported{Kind(output.left(lineEnd).toInt()), output.mid(lineEnd + 1)};
}

QString message(const QString &reason, const QString &remedy)
{
    return QStringLiteral("Error opening serial port!\n") + reason + QLatin1Char('\n') + remedy;
}

QString ownProcessName()
{
    QFile comm(QStringLiteral("/proc/self/comm"));
    return comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll().trimmed()) : QString();
}

} // namespace

// Why a port did not open, on real files, links and terminals.
class TestPortOpenFailure : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void missingDevice_data();
    void missingDevice();
    void reasonFromErrorNumber_data();
    void reasonFromErrorNumber();
    void permissionDenied_data();
    void permissionDenied();
    void portLockedByAnotherProgram();
    void terminalHeldExclusively();
    void staleLockOfAnotherUser();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedPrompt m_prompt;
};

void TestPortOpenFailure::init()
{
    m_prompt.clear();
    m_dir = std::make_unique<QTemporaryDir>();
    // The opener may run as another user: it must reach the files here.
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                     | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
                                                     | QFile::ExeOther));
}

void TestPortOpenFailure::missingDevice_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("linkTarget"); // target of a COM link in the folder, empty: none
    QTest::addColumn<QString>("assigned");   // assignment of COM2, empty: none
    QTest::addColumn<QString>("reason");     // "<dir>" stands for the folder

    QTest::newRow("no such path") << "<dir>/ttyUSB7" << "" << "" << "There is no device at <dir>/ttyUSB7.";
    QTest::newRow("COM link leading nowhere")
        << "COM7" << "<dir>/gone" << "" << "There is no device at <dir>/COM7 (a link to <dir>/gone).";
    QTest::newRow("assigned adapter unplugged")
        << "COM2" << "" << "<dir>/by-id/usb-FTDI-if00" << "There is no device at <dir>/by-id/usb-FTDI-if00.";
    QTest::newRow("bare device name")
        << "ttyZOQ99" << "" << "" << "There is no device at /dev/ttyZOQ99.";
}

void TestPortOpenFailure::missingDevice()
{
    QFETCH(QString, name);
    QFETCH(QString, linkTarget);
    QFETCH(QString, assigned);
    QFETCH(QString, reason);
    const auto expand = [this](QString text) { return text.replace(QLatin1String("<dir>"), m_dir->path()); };

    SerialLink link(m_prompt);
    link.setPortDirectory(m_dir->path());
    if (!linkTarget.isEmpty())
        QVERIFY(QFile::link(expand(linkTarget), m_dir->filePath(name)));
    PortAssignments assignments;
    assignments.assign(2, expand(assigned));
    link.locator().setAssignments(assignments);

    QVERIFY(!link.open(expand(name)));
    QCOMPARE(link.lastOpenFailure().kind(), Kind::NotFound);
    QCOMPARE(link.lastOpenFailure().reason(), expand(reason));
    QCOMPARE(m_prompt.asked().size(), 1);
    QCOMPARE(m_prompt.asked().first().title, QStringLiteral("Open Error"));
    QCOMPARE(m_prompt.asked().first().text, message(expand(reason), PlugInRemedy));
}

void TestPortOpenFailure::reasonFromErrorNumber_data()
{
    QTest::addColumn<int>("errorNumber");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("reason"); // "%1": the path, "%2": the system's text
    QTest::addColumn<QString>("remedy");

    QTest::newRow("ENOENT") << ENOENT << Kind::NotFound << "There is no device at %1." << PlugInRemedy;
    QTest::newRow("ENXIO") << ENXIO << Kind::NotFound << "No serial device answers at %1 (%2)." << PlugInRemedy;
    QTest::newRow("EIO") << EIO << Kind::NotFound << "No serial device answers at %1 (%2)." << PlugInRemedy;
    QTest::newRow("EBUSY") << EBUSY << Kind::Busy << "%1 is in use by another program."
                           << "Close that program, or choose another port.";
    QTest::newRow("EROFS") << EROFS << Kind::Other << "%1: %2." << "";
}

void TestPortOpenFailure::reasonFromErrorNumber()
{
    QFETCH(int, errorNumber);
    QFETCH(Kind, kind);
    QFETCH(QString, reason);
    QFETCH(QString, remedy);
    const QString path = QStringLiteral("/dev/ttyZOQ99");
    const PortOpenFailure failure = PortOpenFailure::fromErrno(errorNumber, path);
    QCOMPARE(failure.kind(), kind);
    QCOMPARE(failure.path(), path);
    QCOMPARE(failure.reason(), reason.arg(path, QString::fromLocal8Bit(std::strerror(errorNumber))));
    QCOMPARE(failure.remedy(), remedy);
}

void TestPortOpenFailure::permissionDenied_data()
{
    QTest::addColumn<QString>("group"); // group to give the device, empty: the creator's
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("reason"); // "%1": the path; "<owner>", "<group>": the device's
    QTest::addColumn<QString>("remedy");

    QTest::newRow("group may use it, user not a member")
        << "dialout" << 0660 << "Permission denied: %1 belongs to the group \"dialout\", and you are not a member of it."
        << "Join the group with\n    sudo usermod -aG dialout $USER\nthen log out and in again.";
    QTest::newRow("nobody may use it")
        << "" << 0000 << "Permission denied: %1 (owner <owner>, group <group>, mode 0000)." << AdministratorRemedy;
}

// The open is made by another process, as "nobody" when this test runs as
// root, so that the device's permissions refuse it.
void TestPortOpenFailure::permissionDenied()
{
    QFETCH(QString, group);
    QFETCH(int, mode);
    QFETCH(QString, reason);
    QFETCH(QString, remedy);
    const QString path = m_dir->filePath(QStringLiteral("ttyUSB0"));
    QFile device(path);
    QVERIFY(device.open(QIODevice::WriteOnly));
    device.close();
    if (!group.isEmpty()) {
        const struct group *entry = ::getgrnam(group.toLocal8Bit().constData());
        if (!runningAsRoot() || !entry)
            QSKIP("giving the device a group the opener is not in needs root and that group");
        QVERIFY(::chown(QFile::encodeName(path).constData(), uid_t(-1), entry->gr_gid) == 0);
    }
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0);
    struct stat status{};
    QVERIFY(::stat(QFile::encodeName(path).constData(), &status) == 0);
    reason.replace(QLatin1String("<owner>"), QString::fromLocal8Bit(::getpwuid(status.st_uid)->pw_name));
    reason.replace(QLatin1String("<group>"), QString::fromLocal8Bit(::getgrgid(status.st_gid)->gr_name));

    const std::optional<Reported> reported = openInOtherProcess(path);
    if (!reported)
        QSKIP("the opener cannot run as \"nobody\" here");
    QCOMPARE(reported->kind, Kind::PermissionDenied);
    QCOMPARE(reported->message, message(reason.arg(path), remedy));
}

// A serial program holds the port with its lock file (this process here).
void TestPortOpenFailure::portLockedByAnotherProgram()
{
    RawPty pty;
    QVERIFY(pty.isOpen());
    QSerialPort holder(pty.slavePath());
    QVERIFY(holder.open(QIODevice::ReadWrite));

    SerialLink link(m_prompt);
    QVERIFY(!link.open(pty.slavePath()));
    QCOMPARE(link.lastOpenFailure().kind(), Kind::Busy);
    const QString reason = QStringLiteral("%1 is in use by another program (%2, process %3).")
                               .arg(pty.slavePath(), ownProcessName())
                               .arg(QCoreApplication::applicationPid());
    QCOMPARE(m_prompt.texts(), QStringList{message(reason, QStringLiteral("Close that program, or choose another port."))});

    holder.close();
    QVERIFY(link.open(pty.slavePath()));
    QCOMPARE(link.lastOpenFailure().kind(), Kind::None);
}

// A program that takes the terminal exclusively without a lock file: the
// system refuses a second open (except to root, so the opener runs as
// "nobody" then).
void TestPortOpenFailure::terminalHeldExclusively()
{
    RawPty pty;
    QVERIFY(pty.isOpen());
    const int held = ::open(QFile::encodeName(pty.slavePath()).constData(), O_RDWR | O_NOCTTY);
    QVERIFY(held >= 0);
    const auto closeHeld = qScopeGuard([held] { ::close(held); });
    QVERIFY(::ioctl(held, TIOCEXCL) == 0);
    if (runningAsRoot()) {
        const passwd *nobody = ::getpwnam("nobody");
        QVERIFY(nobody);
        QVERIFY(::fchown(held, nobody->pw_uid, gid_t(-1)) == 0);
    }

    const std::optional<Reported> reported = openInOtherProcess(pty.slavePath());
    if (!reported)
        QSKIP("the opener cannot run as \"nobody\" here");
    QCOMPARE(reported->kind, Kind::Busy);
    QCOMPARE(reported->message, message(QStringLiteral("%1 is in use by another program.").arg(pty.slavePath()),
                                       QStringLiteral("Close that program, or choose another port.")));
}

// A program of another user ended without removing its lock file: the lock
// is not the opener's to remove, and the box says how to.
void TestPortOpenFailure::staleLockOfAnotherUser()
{
    if (!runningAsRoot() || !QFileInfo(QStringLiteral("/var/lock")).isWritable())
        QSKIP("a lock file of another user needs root and the system's lock folder");
    RawPty pty;
    QVERIFY(pty.isOpen());
    const passwd *nobody = ::getpwnam("nobody");
    QVERIFY(nobody);
    QVERIFY(::chown(QFile::encodeName(pty.slavePath()).constData(), nobody->pw_uid, gid_t(-1)) == 0);
    // No process has the id pid_max: the lock's holder has ended.
    QFile pidMax(QStringLiteral("/proc/sys/kernel/pid_max"));
    QVERIFY(pidMax.open(QIODevice::ReadOnly));
    const QByteArray endedPid = pidMax.readAll().trimmed();
    QString device = pty.slavePath().mid(5);
    device.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString lockPath = QStringLiteral("/var/lock/LCK..") + device;
    QFile lock(lockPath);
    QVERIFY(lock.open(QIODevice::WriteOnly));
    const auto removeLock = qScopeGuard([&lockPath] { QFile::remove(lockPath); });
    lock.write(endedPid + "\nzoq\n\n");
    lock.close();

    const std::optional<Reported> reported = openInOtherProcess(pty.slavePath());
    if (!reported)
        QSKIP("the opener cannot run as \"nobody\" here");
    QCOMPARE(reported->kind, Kind::StaleLock);
    QCOMPARE(reported->message,
             message(QStringLiteral("%1 is locked by %2, which a program that has ended left behind.").arg(pty.slavePath(), lockPath),
                     QStringLiteral("Remove it with\n    sudo rm %1\nthen choose the port again.").arg(lockPath)));
}

QTEST_GUILESS_MAIN(TestPortOpenFailure)
#include "tst_portopenfailure.moc"
