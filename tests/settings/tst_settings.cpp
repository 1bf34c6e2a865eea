#include "core/settings/IniFile.h"
#include "core/settings/NameEncodingFile.h"
#include "core/settings/SettingsFile.h"
#include "core/common/ZoqError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using SettingsFile::Settings;

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void parseInteger_data();
    void parseInteger();
    void iniSectionsAndKeys();
    void iniMissingFileReadsEmpty();

    void readMissingFileGivesDefaults();
    void readValues_data();
    void readValues();

    void defaultTextByteForByte();
    void writeReplacesWholeFile();
    void writeThenReadRoundTrip();
    void writeIntoMissingFolderThrows();
    void writeOntoDirectoryThrowsAndLeavesNoFile();

    void readNameEncoding_data();
    void readNameEncoding();
    void writeNameEncoding();

private:
    [[nodiscard]] QString writeIni(const QByteArray &text);

    QTemporaryDir m_dir;
};

QString TestSettings::writeIni(const QByteArray &text)
{
    const QString path = m_dir.filePath(QStringLiteral("ZOQ.ini"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write the test file");
    file.write(text);
    return path;
}

void TestSettings::parseInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");

    const int def = -77;
    QTest::newRow("decimal") << QStringLiteral("12") << 12;
    QTest::newRow("zero") << QStringLiteral("0") << 0;
    QTest::newRow("negative") << QStringLiteral("-1") << -1;
    QTest::newRow("plus sign") << QStringLiteral("+7") << 7;
    QTest::newRow("spaces trimmed") << QStringLiteral("  42  ") << 42;
    QTest::newRow("0x padded") << QStringLiteral(" 0x1F ") << 31;
    QTest::newRow("0X upper") << QStringLiteral("0X1f") << 31;
    QTest::newRow("dollar") << QStringLiteral("$1F") << 31;
    QTest::newRow("trailing letters") << QStringLiteral("12abc") << def;
    QTest::newRow("letters") << QStringLiteral("abc") << def;
    QTest::newRow("empty") << QString() << def;
    QTest::newRow("prefix only") << QStringLiteral("0x") << def;
    QTest::newRow("dollar only") << QStringLiteral("$") << def;
    QTest::newRow("signed hex") << QStringLiteral("$-1") << def;
    QTest::newRow("double prefix") << QStringLiteral("0x0x1") << def;
    QTest::newRow("inner space") << QStringLiteral("1 2") << def;
    QTest::newRow("beyond int") << QStringLiteral("2147483648") << def;
    QTest::newRow("hex beyond int") << QStringLiteral("0x80000000") << def;
    QTest::newRow("int max") << QStringLiteral("2147483647") << 2147483647;
}

void TestSettings::parseInteger()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(IniFile::parseInteger(text, -77), expected);
}

void TestSettings::iniSectionsAndKeys()
{
    const IniFile ini = IniFile::fromText("; comment\r\n"
                                          "orphan=1\r\n"
                                          "[ Learntime ]\r\n"
                                          "  time =  2 \r\n"
                                          "time=3\r\n"
                                          "[other]\n"
                                          "TIME=9\n"
                                          "name= 'a \"b\" c' \n"
                                          "no equals sign\n");
    QCOMPARE(ini.readInteger(QStringLiteral("LEARNTIME"), QStringLiteral("TIME"), -1), 2);
    QCOMPARE(ini.readString(QStringLiteral("learntime"), QStringLiteral("Time"), QString()), QStringLiteral("2"));
    QCOMPARE(ini.readInteger(QStringLiteral("OTHER"), QStringLiteral("time"), -1), 9);
    QCOMPARE(ini.readInteger(QStringLiteral("OTHER"), QStringLiteral("missing"), -1), -1);
    QCOMPARE(ini.readInteger(QStringLiteral("nosection"), QStringLiteral("TIME"), -1), -1);
    QVERIFY(!ini.contains(QString(), QStringLiteral("orphan")));
    QCOMPARE(ini.readString(QStringLiteral("other"), QStringLiteral("name"), QString()), QStringLiteral("a \"b\" c"));
}

void TestSettings::iniMissingFileReadsEmpty()
{
    const IniFile ini = IniFile::load(m_dir.filePath(QStringLiteral("absent.ini")));
    QCOMPARE(ini.readInteger(QStringLiteral("ID"), QStringLiteral("ID"), 5), 5);
}

void TestSettings::readMissingFileGivesDefaults()
{
    QCOMPARE(SettingsFile::readSettings(m_dir.filePath(QStringLiteral("absent.ini"))), Settings{});
}

void TestSettings::readValues_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Settings>("expected");

    const auto with = [](auto change) {
        Settings s;
        change(s);
        return s;
    };
    QTest::newRow("format 0") << QByteArray("[IRFORMAT]\r\nFORMAT=0\r\n") << with([](Settings &s) { s.irFormat = 2; });
    QTest::newRow("format 7") << QByteArray("[IRFORMAT]\r\nFORMAT=7\r\n") << with([](Settings &s) { s.irFormat = 2; });
    QTest::newRow("format 1") << QByteArray("[IRFORMAT]\r\nFORMAT=1\r\n") << Settings{};
    QTest::newRow("format not a number") << QByteArray("[IRFORMAT]\r\nFORMAT=x\r\n") << Settings{};
    QTest::newRow("port 511") << QByteArray("[IRPORT]\r\nPORT=511\r\n") << with([](Settings &s) { s.irPortMask = 255; });
    QTest::newRow("port 256") << QByteArray("[IRPORT]\r\nPORT=256\r\n") << with([](Settings &s) { s.irPortMask = 0; });
    QTest::newRow("port 5") << QByteArray("[IRPORT]\r\nPORT=5\r\n") << with([](Settings &s) { s.irPortMask = 5; });
    QTest::newRow("port hex") << QByteArray("[IRPORT]\r\nPORT= 0x1F \r\n") << with([](Settings &s) { s.irPortMask = 31; });
    QTest::newRow("port not a number") << QByteArray("[IRPORT]\r\nPORT=12abc\r\n") << Settings{};
    QTest::newRow("time out of range kept") << QByteArray("[LEARNTIME]\r\nTIME=5\r\n") << with([](Settings &s) { s.learnTime = 5; });
    QTest::newRow("no selection kept") << QByteArray("[LEARNTIME]\r\nTIME=-1\r\n[ID]\r\nID=-1\r\n")
                                       << with([](Settings &s) { s.learnTime = -1; s.moduleId = -1; });
    QTest::newRow("same key, two sections") << QByteArray("[COMPORT]\r\nPORT=8\r\n[IRPORT]\r\nPORT=3\r\n")
                                            << with([](Settings &s) { s.comPort = 8; s.irPortMask = 3; });
    QTest::newRow("lower case names") << QByteArray("[learntime]\ntime=2\n[comport]\nport=3\n[id]\nid=15\n[irport]\nport=$0F\n[irformat]\nformat=2\n")
                                      << Settings{2, 3, 15, 2, 15};
    QTest::newRow("dollar hex") << QByteArray("[ID]\r\nID=$1F\r\n") << with([](Settings &s) { s.moduleId = 31; });
    QTest::newRow("double quotes") << QByteArray("[ID]\r\nID=\"3\"\r\n") << with([](Settings &s) { s.moduleId = 3; });
    QTest::newRow("single quotes") << QByteArray("[ID]\r\nID='3'\r\n") << with([](Settings &s) { s.moduleId = 3; });
    QTest::newRow("quotes inside spaces") << QByteArray("[IRPORT]\r\nPORT= \" 0x1F \" \r\n")
                                          << with([](Settings &s) { s.irPortMask = 31; });
    QTest::newRow("quotes that differ") << QByteArray("[ID]\r\nID=\"3'\r\n") << Settings{};
    QTest::newRow("one quote") << QByteArray("[ID]\r\nID=\"3\r\n") << Settings{};
    QTest::newRow("empty quotes") << QByteArray("[ID]\r\nID=\"\"\r\n") << Settings{};
}

void TestSettings::readValues()
{
    QFETCH(QByteArray, text);
    QFETCH(Settings, expected);
    QCOMPARE(SettingsFile::readSettings(writeIni(text)), expected);
}

void TestSettings::defaultTextByteForByte()
{
    QCOMPARE(SettingsFile::settingsText(Settings{}),
             QByteArray("[LEARNTIME]\r\nTIME=0\r\n[AUTORUN]\r\n[COMPORT]\r\nPORT=0\r\n[ID]\r\nID=0\r\n"
                        "[IRPORT]\r\nPORT=255\r\n[IRFORMAT]\r\nFORMAT=1\r\n"));
}

void TestSettings::writeReplacesWholeFile()
{
    const QString path = writeIni("[LEARNTIME]\r\nTIME=2\r\nEXTRA=1\r\n[HAND]\r\nKEY=value\r\n; note\r\n");
    const Settings s{-1, 8, 15, 2, 5};
    SettingsFile::writeSettings(path, s);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(),
             QByteArray("[LEARNTIME]\r\nTIME=-1\r\n[AUTORUN]\r\n[COMPORT]\r\nPORT=8\r\n[ID]\r\nID=15\r\n"
                        "[IRPORT]\r\nPORT=5\r\n[IRFORMAT]\r\nFORMAT=2\r\n"));
}

void TestSettings::writeThenReadRoundTrip()
{
    const QString path = m_dir.filePath(QStringLiteral("round.ini"));
    const Settings s{-1, 7, 10, 2, 0x81};
    SettingsFile::writeSettings(path, s);
    QCOMPARE(SettingsFile::readSettings(path), s);
}

void TestSettings::writeIntoMissingFolderThrows()
{
    // A regular file stands where the folder should be, so nothing can be created there.
    const QString blocker = m_dir.filePath(QStringLiteral("blocker"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString path = blocker + QStringLiteral("/ZOQ.ini");

    QVERIFY_THROWS_EXCEPTION(ZoqError, SettingsFile::writeSettings(path, Settings{}));
    QVERIFY(!QFile::exists(path));
}

void TestSettings::writeOntoDirectoryThrowsAndLeavesNoFile()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("ZOQ.ini"));
    QVERIFY(QDir().mkdir(path));

    try {
        SettingsFile::writeSettings(path, Settings{});
        QFAIL("no error for a folder in the file's place");
    } catch (const ZoqError &error) {
        QVERIFY(error.message().contains(QDir::toNativeSeparators(path)));
    }
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("ZOQ.ini")});
}

void TestSettings::readNameEncoding_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<NameEncoding::Kind>("kind");

    QTest::newRow("GBK") << QByteArray("[NAMES]\r\nENCODING=GBK\r\n") << NameEncoding::Kind::Gbk;
    QTest::newRow("Latin-1") << QByteArray("[NAMES]\r\nENCODING=Latin-1\r\n") << NameEncoding::Kind::Latin1;
    QTest::newRow("lower case, quoted") << QByteArray("[names]\nencoding=\"gbk\"\n") << NameEncoding::Kind::Gbk;
    QTest::newRow("unknown encoding") << QByteArray("[NAMES]\r\nENCODING=Big5\r\n") << NameEncoding::Kind::Latin1;
    QTest::newRow("other section") << QByteArray("[ID]\r\nENCODING=GBK\r\n") << NameEncoding::Kind::Latin1;
    QTest::newRow("empty") << QByteArray() << NameEncoding::Kind::Latin1;
}

void TestSettings::readNameEncoding()
{
    QFETCH(QByteArray, text);
    QFETCH(NameEncoding::Kind, kind);
    QCOMPARE(NameEncodingFile::read(writeIni(text)), kind);
}

void TestSettings::writeNameEncoding()
{
    const QString path = NameEncodingFile::path(m_dir.path());
    QCOMPARE(path, m_dir.filePath(QStringLiteral("ZOQ-names.ini")));
    QCOMPARE(NameEncodingFile::read(path), NameEncoding::Kind::Latin1);
    NameEncodingFile::write(path, NameEncoding::Kind::Gbk);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("[NAMES]\r\nENCODING=GBK\r\n"));
    QCOMPARE(NameEncodingFile::read(path), NameEncoding::Kind::Gbk);
    NameEncodingFile::write(path, NameEncoding::Kind::Latin1);
    QCOMPARE(NameEncodingFile::read(path), NameEncoding::Kind::Latin1);

    QVERIFY_THROWS_EXCEPTION(ZoqError, NameEncodingFile::write(m_dir.path(), NameEncoding::Kind::Gbk));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
