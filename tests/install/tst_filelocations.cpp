#include "core/common/FileLocations.h"
#include "core/settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

constexpr QFile::Permissions OpenToAll = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
    | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
constexpr QFile::Permissions ReadOnlyFolder =
    QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

} // namespace

class TestFileLocations : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void writableFolderKeepsFilesBesideProgram();
    void installedFolderKeepsFilesPerUser();
    void readOnlyFolderKeepsFilesPerUser();
    void programStartedFromReadOnlyFolder();

private:
    void checkPerUser(const FileLocations &locations) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFileLocations::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("data"))));
}

void TestFileLocations::cleanup()
{
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
    m_dir.reset();
}

void TestFileLocations::checkPerUser(const FileLocations &locations) const
{
    const QString config = m_dir->filePath(QStringLiteral("config/zoq"));
    const QString data = m_dir->filePath(QStringLiteral("data/zoq"));
    QVERIFY(locations.isPerUser());
    QCOMPARE(locations.workingPath(), data + QStringLiteral("/Temp.~tmp"));
    QCOMPARE(locations.settingsPath(), config + QStringLiteral("/ZOQ.ini"));
    QCOMPARE(locations.configDir(), config);
    QCOMPARE(locations.linkFolders(), (QStringList{locations.programDir(), config}));
    QVERIFY(!QFileInfo::exists(config));
    QVERIFY(locations.makeFolders());
    QVERIFY(QFileInfo(config).isDir());
    QVERIFY(QFileInfo(data).isDir());
}

void TestFileLocations::writableFolderKeepsFilesBesideProgram()
{
    const QString program = m_dir->path();
    const FileLocations locations = FileLocations::forProgram(program, QStringLiteral("/usr/bin"));
    QVERIFY(!locations.isPerUser());
    QCOMPARE(locations.workingPath(), program + QStringLiteral("/Temp.~tmp"));
    QCOMPARE(locations.settingsPath(), program + QStringLiteral("/ZOQ.ini"));
    QCOMPARE(locations.configDir(), program);
    QCOMPARE(locations.linkFolders(), QStringList{program});
    QVERIFY(locations.makeFolders());
}

// Even an administrator's run, which could write there, leaves the folder
// the program is installed to alone.
void TestFileLocations::installedFolderKeepsFilesPerUser()
{
    const QString program = m_dir->filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(program));
    checkPerUser(FileLocations::forProgram(program, program + QStringLiteral("/")));
}

void TestFileLocations::readOnlyFolderKeepsFilesPerUser()
{
    if (runningAsRoot())
        QSKIP("root writes into any folder; programStartedFromReadOnlyFolder runs the program as \"nobody\"");
    const QString program = m_dir->filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(program));
    QVERIFY(QFile::setPermissions(program, ReadOnlyFolder));
    const auto writable = qScopeGuard([&program] { QFile::setPermissions(program, OpenToAll); });
    checkPerUser(FileLocations::forProgram(program));
}

// The real program, copied into a folder it may not write to and run by a
// user (as "nobody" when this test runs as root) whose folders the XDG
// variables name: it reads its settings from the config folder (they choose
// no port, so no error box holds start-up up) and makes its working file in
// the data folder.
void TestFileLocations::programStartedFromReadOnlyFolder()
{
    QDir root(m_dir->path());
    QVERIFY(QFile::setPermissions(root.path(), OpenToAll));
    for (const char *folder : {"program", "home", "config/zoq", "data", "cache", "runtime"}) {
        QVERIFY(root.mkpath(QLatin1String(folder)));
        QVERIFY(QFile::setPermissions(root.filePath(QLatin1String(folder)), OpenToAll));
    }
    QVERIFY(QFile::setPermissions(root.filePath(QStringLiteral("config")), OpenToAll));
    SettingsFile::Settings noPort;
    noPort.comPort = 8; // "Close"
    SettingsFile::writeSettings(root.filePath(QStringLiteral("config/zoq/ZOQ.ini")), noPort);

    const QString program = root.filePath(QStringLiteral("program/zoq"));
    QVERIFY(QFile::copy(QStringLiteral(ZOQ_PROGRAM), program));
    QVERIFY(QFile::setPermissions(program, ReadOnlyFolder));
    QVERIFY(QFile::setPermissions(root.filePath(QStringLiteral("program")), ReadOnlyFolder));
    const auto writable = qScopeGuard([&root] { QFile::setPermissions(root.filePath(QStringLiteral("program")), OpenToAll); });

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const auto &[name, folder] : {std::pair{"HOME", "home"}, {"XDG_CONFIG_HOME", "config"},
                                       {"XDG_DATA_HOME", "data"}, {"XDG_CACHE_HOME", "cache"},
                                       {"XDG_RUNTIME_DIR", "runtime"}})
        environment.insert(QLatin1String(name), root.filePath(QLatin1String(folder)));
    QProcess zoq;
    zoq.setProcessEnvironment(environment);
    if (runningAsRoot()) {
        const passwd *nobody = ::getpwnam("nobody");
        QVERIFY(nobody);
        const uid_t uid = nobody->pw_uid;
        const gid_t gid = nobody->pw_gid;
        QVERIFY(::chown(QFile::encodeName(root.filePath(QStringLiteral("runtime"))).constData(), uid, gid) == 0);
        zoq.setChildProcessModifier([uid, gid] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
                ::_exit(127);
        });
    }
    QVERIFY(QFile::setPermissions(root.filePath(QStringLiteral("runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    zoq.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    zoq.start(program, {});
    QVERIFY2(zoq.waitForStarted(), qPrintable(zoq.errorString()));
    const auto stop = qScopeGuard([&zoq] {
        zoq.kill();
        zoq.waitForFinished();
    });

    const QString workingFile = root.filePath(QStringLiteral("data/zoq/Temp.~tmp"));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(workingFile) || zoq.state() != QProcess::Running, 30000);
    QVERIFY2(zoq.state() == QProcess::Running, "the program ended during start-up");
    QVERIFY(QFileInfo::exists(workingFile));
    QCOMPARE(QDir(root.filePath(QStringLiteral("program"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("zoq")});
}

QTEST_GUILESS_MAIN(TestFileLocations)
#include "tst_filelocations.moc"
