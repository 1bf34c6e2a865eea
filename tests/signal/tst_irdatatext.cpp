#include "core/signal/IrDataText.h"

#include <QBuffer>
#include <QTest>

class TestIrDataText : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void blockCounts_data();
    void blockCounts();
    void writerLayout();
    void writerRoundTrip();
    void hexBytes();
    void fileText_data();
    void fileText();
    void fileThroughParser_data();
    void fileThroughParser();
};

static QByteArray ascending(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(char(i * 7 + 3));
    return bytes;
}

void TestIrDataText::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");

    QTest::newRow("commas and prefixes") << "0x72,0x30,0X0a" << true << QByteArray("\x72\x30\x0A") << QString();
    QTest::newRow("one-digit bytes") << "A B" << true << QByteArray("\x0A\x0B") << QString();
    QTest::newRow("third digit starts a byte") << "ABC" << true << QByteArray("\xAB\x0C") << QString();
    QTest::newRow("lower case") << "a5" << true << QByteArray("\xA5") << QString();
    QTest::newRow("0X deleted anywhere") << "10X5" << true << QByteArray("\x15") << QString();
    QTest::newRow("separators mixed") << "1,,\r\n\r\n 2\n\r,3" << true << QByteArray("\x01\x02\x03") << QString();
    QTest::newRow("edges trimmed") << "\t\r\n 01 02 \t\x01" << true << QByteArray("\x01\x02") << QString();
    QTest::newRow("zero char ends") << QStringLiteral("01 02") + QChar(0) + QStringLiteral(" GG") << true
                                    << QByteArray("\x01\x02") << QString();
    QTest::newRow("empty") << QString() << true << QByteArray() << QString();
    QTest::newRow("tab between bytes") << "01\t02" << false << QByteArray("\x01") << "Invalid char 0x09";
    QTest::newRow("invalid letter") << "G" << false << QByteArray() << "Invalid char 'G'";
    QTest::newRow("after one digit, as in the text") << "1g" << false << QByteArray() << "Invalid char 'g'";
    QTest::newRow("trailing junk") << "01 02 zz" << false << QByteArray("\x01\x02") << "Invalid char 'z'";
    QTest::newRow("sharp s") << QStringLiteral("01 \u00DF") << false << QByteArray("\x01")
                             << QStringLiteral("Invalid char '\u00DF'");
    QTest::newRow("micro sign") << QStringLiteral("\u00B5") << false << QByteArray() << QStringLiteral("Invalid char '\u00B5'");
    QTest::newRow("y with diaeresis after a digit") << QStringLiteral("A\u00FF") << false << QByteArray()
                                                    << QStringLiteral("Invalid char '\u00FF'");
    QTest::newRow("ESC inside") << "01 \x1b 02" << false << QByteArray("\x01") << "Invalid char 0x1B";
    QTest::newRow("form feed inside") << "01\x0c" "02" << false << QByteArray("\x01") << "Invalid char 0x0C";
    QTest::newRow("DEL inside") << "01 \x7f" << false << QByteArray("\x01") << "Invalid char 0x7F";
    QTest::newRow("C1 control inside") << QStringLiteral("01 \u0085") << false << QByteArray("\x01")
                                       << "Invalid char 0x85";
    QTest::newRow("semicolon") << "01;02" << false << QByteArray("\x01") << "Invalid char ';'";
}

void TestIrDataText::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);

    QByteArray parsed;
    int count = -1;
    QString message;
    QCOMPARE(parseHexText(text, parsed, count, &message), ok);
    QCOMPARE(message, error);
    QCOMPARE(parsed, bytes);
    QCOMPARE(count, int(bytes.size()));
}

void TestIrDataText::blockCounts_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("separator");

    for (int count : {511, 512, 513}) {
        QTest::addRow("%d spaced", count) << count << QStringLiteral(" ");
        QTest::addRow("%d prefixed with commas", count) << count << QStringLiteral(",0x");
    }
}

void TestIrDataText::blockCounts()
{
    QFETCH(int, count);
    QFETCH(QString, separator);

    const QByteArray source = ascending(count);
    const QString text = QString::fromLatin1(source.toHex(' ')).replace(QStringLiteral(" "), separator);
    QByteArray parsed;
    int found = 0;
    QVERIFY(parseHexText(text, parsed, found, nullptr));
    QCOMPARE(found, count);
    QCOMPARE(parsed, source.left(512));
}

void TestIrDataText::writerLayout()
{
    const QByteArray block = ascending(512);
    const QByteArray text = irDataText(block);
    QCOMPARE(text.size(), 1568);

    const QList<QByteArray> lines = text.split('\n');
    QCOMPARE(lines.size(), 17);
    QVERIFY(lines.last().isEmpty());
    for (int n = 0; n < 16; ++n) {
        const QByteArray &line = lines.at(n);
        QCOMPARE(line.size(), 97);
        QVERIFY(line.endsWith(" \r"));
        QCOMPARE(line.left(96), block.mid(32 * n, 32).toHex(' ').toUpper() + ' ');
    }
    QVERIFY(text.startsWith("03 0A 11 18 1F 26 "));
    QVERIFY(!text.contains('a'));
}

void TestIrDataText::writerRoundTrip()
{
    const QByteArray block = ascending(512);
    QByteArray parsed;
    int count = 0;
    QVERIFY(parseHexText(QString::fromLatin1(irDataText(block)), parsed, count, nullptr));
    QCOMPARE(count, 512);
    QCOMPARE(parsed, block);
}

void TestIrDataText::hexBytes()
{
    QCOMPARE(hexBytesText(QByteArray("\x72\x30\x0A\xff", 4)), QStringLiteral("72 30 0A FF"));
    QCOMPARE(hexBytesText(QByteArray()), QString());
}

void TestIrDataText::fileText_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("result");

    QTest::newRow("line breaks joined with CR LF") << QByteArray("01\n02\r03\r\n04\r\n") << true
                                                   << "01\r\n02\r\n03\r\n04";
    QTest::newRow("tab kept for the parser") << QByteArray("01\t02") << true << "01\t02";
    QTest::newRow("Latin-1") << QByteArray("\xE9") << true << QStringLiteral("\u00E9");
    QTest::newRow("at the limit") << QByteArray(IrDataTextFileLimit, ' ') << true
                                  << QString(IrDataTextFileLimit, u' ');
    QTest::newRow("over the limit") << QByteArray(IrDataTextFileLimit + 1, ' ') << false
                                    << "Invalid IR data file! It is larger than 1 MB.";
    QTest::newRow("NUL byte left to the parser") << QByteArray("01 02\0 03", 9) << true
                                                 << QStringLiteral("01 02") + QChar(0) + QStringLiteral(" 03");
    QTest::newRow("control byte left to the parser") << QByteArray("01 \x02") << true << "01 \x02";
}

void TestIrDataText::fileText()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, accepted);
    QFETCH(QString, result);

    QBuffer device(&content);
    QVERIFY(device.open(QIODevice::ReadOnly));
    QString refusal;
    const std::optional<QString> text = irDataFileText(device, &refusal);
    QCOMPARE(text.has_value(), accepted);
    QCOMPARE(accepted ? *text : refusal, result);
}

// What opening a file ends with: control characters at the edges are
// trimmed, a zero byte ends the text, and one inside is the parser's to name.
void TestIrDataText::fileThroughParser_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("error");

    const QByteArray block = irDataText(ascending(512));
    QTest::newRow("saved block") << block << 512 << QString();
    QTest::newRow("controls at both ends") << QByteArray("\x1b\x00\x02", 3) + block + QByteArray("\x1a\x00\x04", 3) << 512
                                           << QString();
    static const char afterZero[] = "\0 trailing \x1b junk";
    QTest::newRow("zero byte ends the text") << block + QByteArray(afterZero, sizeof afterZero - 1) << 512 << QString();
    QTest::newRow("ESC inside") << block.left(30) + "\x1b" + block.mid(30) << -1 << "Invalid char 0x1B";
    QTest::newRow("control byte inside") << QByteArray("01\x05 02") << -1 << "Invalid char 0x05";
    QTest::newRow("UTF-8 byte-order mark first") << QByteArray("\xEF\xBB\xBF") + block << 512 << QString();
    QTest::newRow("byte-order mark elsewhere") << block.left(30) + "\xEF\xBB\xBF" + block.mid(30) << -1
                                               << QStringLiteral("Invalid char '\u00EF'");
}

void TestIrDataText::fileThroughParser()
{
    QFETCH(QByteArray, content);
    QFETCH(int, count);
    QFETCH(QString, error);

    QBuffer device(&content);
    QVERIFY(device.open(QIODevice::ReadOnly));
    const std::optional<QString> text = irDataFileText(device, nullptr);
    QVERIFY(text.has_value());
    QByteArray bytes;
    int found = 0;
    QString message;
    QCOMPARE(parseHexText(*text, bytes, found, &message), error.isEmpty());
    QCOMPARE(message, error);
    if (count >= 0)
        QCOMPARE(found, count);
}

QTEST_GUILESS_MAIN(TestIrDataText)
#include "tst_irdatatext.moc"
