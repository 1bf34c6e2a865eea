#include "SlaveLine.h"

#include "core/device/Frames.h"
#include "core/device/SignalLayout.h"
#include "core/signal/IrDecoder.h"
#include "modsim/LearnedCapture.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int AnswerMs = 3000;

QString modsim()
{
    return QStringLiteral(ZOQ_MODSIM);
}

} // namespace

class TestModuleSimulatorProgram : public QObject
{
    Q_OBJECT

private slots:
    void badOptionsRefused_data();
    void badOptionsRefused();
    void helpPrintsOptions();
    void servesLineUntilTerminated();
    void learnedKeyDecodes_data();
    void learnedKeyDecodes();
};

void TestModuleSimulatorProgram::badOptionsRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("mentioned");

    QTest::newRow("ID above 15") << QStringList{QStringLiteral("--id"), QStringLiteral("16")}
                                 << QStringLiteral("--id");
    QTest::newRow("unknown protocol")
        << QStringList{QStringLiteral("--protocol"), QStringLiteral("nokia")} << QStringLiteral("nokia");
    QTest::newRow("address out of the protocol's range")
        << QStringList{QStringLiteral("--protocol"), QStringLiteral("rc5"), QStringLiteral("--address"),
                       QStringLiteral("0x20")}
        << QStringLiteral("RC5 address 0x20 is out of range 0x00..0x1F");
    QTest::newRow("unknown SEND reply")
        << QStringList{QStringLiteral("--send-reply"), QStringLiteral("maybe")} << QStringLiteral("maybe");
    QTest::newRow("slot beyond the EEPROM")
        << QStringList{QStringLiteral("--silent-slot"), QStringLiteral("512")}
        << QStringLiteral("--silent-slot");
    QTest::newRow("negative delay") << QStringList{QStringLiteral("--capture-delay"), QStringLiteral("-1")}
                                    << QStringLiteral("--capture-delay");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour")} << QStringLiteral("colour");
    QTest::newRow("stray argument") << QStringList{QStringLiteral("COM1")} << QStringLiteral("COM1");
}

void TestModuleSimulatorProgram::badOptionsRefused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentioned);
    QProcess process;
    process.start(modsim(), arguments);
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), 2);
    const QString error = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(error.startsWith(QStringLiteral("zoq-modsim: ")) && error.contains(mentioned),
             qPrintable(error));
}

void TestModuleSimulatorProgram::helpPrintsOptions()
{
    QProcess process;
    process.start(modsim(), {QStringLiteral("--help")});
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), 0);
    const QString help = QString::fromLocal8Bit(process.readAllStandardOutput());
    for (const char *option :
         {"--link", "--eeprom", "--id", "--protocol", "--capture-delay", "--paced", "--no-learn-ack",
          "--send-reply", "--silent-slot", "--half-slot", "--capture-extra"})
        QVERIFY2(help.contains(QLatin1String(option)), option);
}

void TestModuleSimulatorProgram::servesLineUntilTerminated()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("COM1"));
    const QString eeprom = dir.filePath(QStringLiteral("eeprom.bin"));
    QProcess process;
    process.start(modsim(), {QStringLiteral("--link"), link, QStringLiteral("--eeprom"), eeprom,
                             QStringLiteral("--id"), QStringLiteral("4"), QStringLiteral("--protocol"),
                             QStringLiteral("sony"), QStringLiteral("--capture-delay"), QStringLiteral("0"),
                             QStringLiteral("--send-reply"), QStringLiteral("refuse")});
    QVERIFY(process.waitForStarted());
    QString banner;
    QTRY_VERIFY_WITH_TIMEOUT((banner += QString::fromLocal8Bit(process.readAllStandardOutput()))
                                 .contains(QStringLiteral("link: ")),
                             AnswerMs);
    QVERIFY2(banner.startsWith(QStringLiteral("pty: /dev/pts/")), qPrintable(banner));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(eeprom).size(), qint64(262144));

    SlaveLine line;
    QVERIFY(line.open(link, 9600));
    QVERIFY(line.write(QByteArray("\xE0\x04LEARN\x01\x01"
                                  "000\xEF")));
    QCOMPARE(line.read(1, AnswerMs).size(), 1);
    IrKey sony;
    sony.protocol = IrProtocol::Sirc;
    QCOMPARE(line.read(331, AnswerMs), LearnedCapture::bytes(sony, 1).value());
    QVERIFY(line.write(QByteArray("\xE0\x04"
                                  "C\x00\x01\x00"
                                  "000\xEF",
                                  10)));
    QCOMPARE(line.read(1, AnswerMs), QByteArray("B"));
    line.close();

    process.terminate();
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    const QString log = banner + QString::fromLocal8Bit(process.readAllStandardOutput());
    QVERIFY2(log.contains(QStringLiteral("LEARN id 4 time 1 format 1")), qPrintable(log));
    QVERIFY2(log.contains(QStringLiteral("SEND id 4 ports 0x01")), qPrintable(log));
}

void TestModuleSimulatorProgram::learnedKeyDecodes_data()
{
    QTest::addColumn<QStringList>("key");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("summary");

    const auto key = [](const char *protocol, const char *address, const char *command) {
        return QStringList{QStringLiteral("--protocol"), QLatin1String(protocol), QStringLiteral("--address"),
                           QLatin1String(address), QStringLiteral("--command"), QLatin1String(command)};
    };
    QTest::newRow("sony") << key("sony", "0x1A", "0x2B") << 1 << "SIRC 0x1A 0x2B";
    QTest::newRow("nec with a 16-bit address") << key("nec", "0x1234", "8") << 1 << "NECext 0x1234 0x08";
    QTest::newRow("Kaseikyo") << key("KASEIKYO", "0x2002080", "0x03D") << 1 << "Kaseikyo 0x2002080 0x03D";
    QTest::newRow("Denon") << key("denon", "3", "200") << 1 << "Denon 0x03 0xC8";
    QTest::newRow("RC6, both toggles") << key("rc6", "0", "12") << 2 << "RC6 0x00 0x0C";
}

// A key learned from the running program decodes to its --protocol,
// --address and --command.
void TestModuleSimulatorProgram::learnedKeyDecodes()
{
    QFETCH(QStringList, key);
    QFETCH(int, format);
    QFETCH(QString, summary);
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("COM1"));
    QProcess process;
    process.start(modsim(), QStringList{QStringLiteral("--link"), link, QStringLiteral("--capture-delay"),
                                        QStringLiteral("0")} + key);
    QVERIFY(process.waitForStarted());
    QString banner;
    QTRY_VERIFY_WITH_TIMEOUT((banner += QString::fromLocal8Bit(process.readAllStandardOutput()))
                                 .contains(QStringLiteral("link: ")),
                             AnswerMs);

    SlaveLine line;
    QVERIFY(line.open(link, 9600));
    QVERIFY(line.write(Frames::learn(0, 1, quint8(format))));
    QCOMPARE(line.read(1, AnswerMs).size(), 1);
    const int size = SignalLayout::captureSize(quint8(format));
    const QByteArray capture = line.read(size, AnswerMs);
    QCOMPARE(capture.size(), size);
    const IrBlock block = SignalLayout::blockFromCapture(capture, quint8(format), QByteArray());
    QCOMPARE(IrDecoder::summary(block), summary);
    line.close();
    process.terminate();
    QVERIFY(process.waitForFinished());
}

QTEST_GUILESS_MAIN(TestModuleSimulatorProgram)
#include "tst_modsimprogram.moc"
