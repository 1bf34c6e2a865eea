#include "core/common/ZoqError.h"
#include "core/device/PortLocator.h"
#include "core/device/SerialDevice.h"
#include "core/settings/PortAssignments.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(PortLocator::Source)

// Where COMn leads, with links, assignments and devices as files in a
// temporary folder: program/ and user/ hold COMn links, dev/ the devices,
// by-id/ their stable names.
class TestPortLocator : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void resolutionOrder_data();
    void resolutionOrder();

    void assignmentsTextAndRoundTrip();
    void assignmentsReadSkipsOtherLines();

    void stableNameOfDevice_data();
    void stableNameOfDevice();

private:
    // "<dev0>" and the like in a test row stand for paths in the folder.
    [[nodiscard]] QString expand(const QString &text) const;
    void makeLink(const QString &linkPath, const QString &target) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestPortLocator::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QDir root(m_dir->path());
    for (const char *folder : {"program", "user", "dev", "by-id"})
        QVERIFY(root.mkdir(QLatin1String(folder)));
    for (const char *device : {"dev/ttyUSB0", "dev/ttyUSB1"}) {
        QFile file(root.filePath(QLatin1String(device)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    makeLink(expand(QStringLiteral("<byid>")), expand(QStringLiteral("<dev0>")));
}

QString TestPortLocator::expand(const QString &text) const
{
    QString expanded = text;
    const QDir root(m_dir->path());
    expanded.replace(QLatin1String("<dev0>"), root.filePath(QStringLiteral("dev/ttyUSB0")));
    expanded.replace(QLatin1String("<dev1>"), root.filePath(QStringLiteral("dev/ttyUSB1")));
    expanded.replace(QLatin1String("<byid>"), root.filePath(QStringLiteral("by-id/usb-FTDI_FT232R-if00-port0")));
    expanded.replace(QLatin1String("<gone>"), root.filePath(QStringLiteral("by-id/usb-Prolific-if00-port0")));
    expanded.replace(QLatin1String("<program>"), root.filePath(QStringLiteral("program")));
    expanded.replace(QLatin1String("<user>"), root.filePath(QStringLiteral("user")));
    return expanded;
}

void TestPortLocator::makeLink(const QString &linkPath, const QString &target) const
{
    QVERIFY2(QFile::link(target, linkPath), qPrintable(linkPath));
}

void TestPortLocator::resolutionOrder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("programLink"); // target of <program>/<name>, empty: none
    QTest::addColumn<QString>("userLink");    // target of <user>/<name>, empty: none
    QTest::addColumn<QString>("assigned");    // assignment of the name, empty: none
    QTest::addColumn<QString>("path");
    QTest::addColumn<PortLocator::Source>("source");
    QTest::addColumn<QString>("via");

    using S = PortLocator::Source;
    QTest::newRow("nothing: the standard port") << "COM3" << "" << "" << "" << "/dev/ttyS2" << S::Standard << "";
    QTest::newRow("COM12 beyond the box") << "COM12" << "" << "" << "" << "/dev/ttyS11" << S::Standard << "";
    QTest::newRow("assignment by stable name") << "COM1" << "" << "" << "<byid>" << "<dev0>" << S::Assignment << "<byid>";
    QTest::newRow("assignment by device path") << "COM8" << "" << "" << "<dev1>" << "<dev1>" << S::Assignment << "<dev1>";
    QTest::newRow("assigned adapter unplugged") << "COM2" << "" << "" << "<gone>" << "<gone>" << S::Assignment << "<gone>";
    QTest::newRow("program link before assignment")
        << "COM1" << "<dev1>" << "" << "<byid>" << "<dev1>" << S::Link << "<program>/COM1";
    QTest::newRow("user link before assignment")
        << "COM1" << "" << "<dev1>" << "<byid>" << "<dev1>" << S::Link << "<user>/COM1";
    QTest::newRow("program link before user link")
        << "COM4" << "<dev0>" << "<dev1>" << "" << "<dev0>" << S::Link << "<program>/COM4";
    QTest::newRow("dangling link still wins")
        << "COM1" << "<gone>" << "" << "<dev1>" << "<program>/COM1" << S::Link << "<program>/COM1";
    QTest::newRow("a device path") << "<dev1>" << "" << "" << "" << "<dev1>" << S::AsGiven << "";
    QTest::newRow("NoPort") << "NoPort" << "" << "" << "" << "NoPort" << S::AsGiven << "";
    QTest::newRow("lower case is no COM name") << "com1" << "" << "" << "" << "com1" << S::AsGiven << "";
    QTest::newRow("COM0 is no COM name") << "COM0" << "" << "" << "" << "COM0" << S::AsGiven << "";
    QTest::newRow("leading zero is no COM name") << "COM01" << "" << "" << "" << "COM01" << S::AsGiven << "";
    QTest::newRow("COM and letters") << "COM1x" << "" << "" << "" << "COM1x" << S::AsGiven << "";
    QTest::newRow("COM alone") << "COM" << "" << "" << "" << "COM" << S::AsGiven << "";
}

void TestPortLocator::resolutionOrder()
{
    QFETCH(QString, name);
    QFETCH(QString, programLink);
    QFETCH(QString, userLink);
    QFETCH(QString, assigned);
    QFETCH(QString, path);
    QFETCH(PortLocator::Source, source);
    QFETCH(QString, via);

    name = expand(name);
    if (!programLink.isEmpty())
        makeLink(QDir(expand(QStringLiteral("<program>"))).filePath(name), expand(programLink));
    if (!userLink.isEmpty())
        makeLink(QDir(expand(QStringLiteral("<user>"))).filePath(name), expand(userLink));
    PortAssignments assignments;
    if (!assigned.isEmpty())
        assignments.assign(PortLocator::comNumber(name), expand(assigned));

    PortLocator locator;
    locator.setLinkFolders({expand(QStringLiteral("<program>")), expand(QStringLiteral("<user>"))});
    locator.setAssignments(assignments);
    const PortLocator::Location location = locator.locate(name);
    QCOMPARE(location.path, expand(path));
    QCOMPARE(location.source, source);
    QCOMPARE(location.via, expand(via));
}

void TestPortLocator::assignmentsTextAndRoundTrip()
{
    PortAssignments assignments;
    QVERIFY(assignments.isEmpty());
    assignments.assign(8, QStringLiteral("/dev/ttyACM0"));
    assignments.assign(1, QStringLiteral("/dev/serial/by-id/usb-Caf\u00e9_Adapter-if00"));
    assignments.assign(3, QStringLiteral("/dev/ttyUSB3"));
    assignments.assign(3, QString()); // removed again
    assignments.assign(9, QStringLiteral("/dev/ttyUSB9")); // no such port
    QCOMPARE(assignments.text(), QByteArray("[PORTS]\r\n"
                                            "COM1=/dev/serial/by-id/usb-Caf\xc3\xa9_Adapter-if00\r\n"
                                            "COM8=/dev/ttyACM0\r\n"));

    const QString path = PortAssignments::path(m_dir->path());
    QCOMPARE(path, QDir(m_dir->path()).filePath(QStringLiteral("ZOQ-ports.ini")));
    assignments.write(path);
    QCOMPARE(PortAssignments::read(path), assignments);
    QVERIFY(PortAssignments::read(m_dir->filePath(QStringLiteral("missing.ini"))).isEmpty());
}

void TestPortLocator::assignmentsReadSkipsOtherLines()
{
    const QString path = m_dir->filePath(QStringLiteral("ZOQ-ports.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("; by hand\n[ports]\ncom2 = /dev/ttyUSB0 \nCOM0=/dev/x\nCOM9=/dev/y\n[OTHER]\nCOM3=/dev/z\n");
    file.close();
    const PortAssignments read = PortAssignments::read(path);
    QCOMPARE(read.device(2), QStringLiteral("/dev/ttyUSB0"));
    for (int n : {1, 3, 4, 5, 6, 7, 8})
        QVERIFY2(read.device(n).isEmpty(), qPrintable(QString::number(n)));
}

void TestPortLocator::stableNameOfDevice_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("stableName");
    QTest::newRow("device with a stable name") << "<dev0>" << "<byid>";
    QTest::newRow("reached through a link") << "<program>/COM1" << "<byid>";
    QTest::newRow("device without one") << "<dev1>" << "";
    QTest::newRow("no such device") << "<gone>" << "";
}

void TestPortLocator::stableNameOfDevice()
{
    QFETCH(QString, device);
    QFETCH(QString, stableName);
    makeLink(expand(QStringLiteral("<program>/COM1")), expand(QStringLiteral("<dev0>")));
    // A stale name of an adapter no longer there leads nowhere and is passed over.
    makeLink(expand(QStringLiteral("<gone>")), expand(QStringLiteral("<program>/nothing")));
    QCOMPARE(SerialDevice::stableNameOf(expand(device), QDir(m_dir->path()).filePath(QStringLiteral("by-id"))),
             expand(stableName));
}

QTEST_GUILESS_MAIN(TestPortLocator)
#include "tst_portlocator.moc"
