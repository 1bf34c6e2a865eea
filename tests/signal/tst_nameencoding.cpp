#include "core/signal/DerivedFields.h"
#include "core/signal/NameEncoding.h"
#include "core/signal/IrBlock.h"

#include <QTest>

using Kind = NameEncoding::Kind;

class TestNameEncoding : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void encode_data();
    void encode();
    void everyGbkPairReadsBackToItsBytes();
    void unchangedNameKeepsItsBytes_data();
    void unchangedNameKeepsItsBytes();
    void labels();
    void derivationReadsTheNameInTheEncoding();
};

namespace {

// "电源" (power) and "音量" (volume) in GBK.
const QString Power = QStringLiteral("\u7535\u6E90");
const QByteArray PowerGbk = QByteArray::fromHex("B5E7D4B4");
const QString Volume = QStringLiteral("\u97F3\u91CF");
const QByteArray VolumeGbk = QByteArray::fromHex("D2F4C1BF");

} // namespace

void TestNameEncoding::decode_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("Latin-1 letters") << Kind::Latin1 << QByteArray("VOL+") << QStringLiteral("VOL+");
    QTest::newRow("Latin-1 upper half") << Kind::Latin1 << PowerGbk << QStringLiteral("\u00B5\u00E7\u00D4\u00B4");
    QTest::newRow("GBK pairs") << Kind::Gbk << PowerGbk << Power;
    QTest::newRow("GBK mixed") << Kind::Gbk << "TV" + VolumeGbk + "+" << QStringLiteral("TV") + Volume + u'+';
    QTest::newRow("GBK euro sign") << Kind::Gbk << QByteArray("\x80") << QStringLiteral("\u20AC");
    QTest::newRow("GBK lead byte at the end") << Kind::Gbk << QByteArray("A\xB5") << QStringLiteral("A\uFFFD");
    QTest::newRow("GBK lead byte before a space") << Kind::Gbk << QByteArray("\x81 B")
                                                  << QStringLiteral("\uFFFD B");
    QTest::newRow("empty") << Kind::Gbk << QByteArray() << QString();
}

void TestNameEncoding::decode()
{
    QFETCH(Kind, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(NameEncoding(kind).decode(bytes), text);
}

void TestNameEncoding::encode_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("Latin-1 letters") << Kind::Latin1 << QStringLiteral("Mute") << QByteArray("Mute") << QString();
    QTest::newRow("Latin-1 accents") << Kind::Latin1 << QStringLiteral("Ein/Aus \u00E4") << QByteArray("Ein/Aus \xE4")
                                     << QString();
    QTest::newRow("Latin-1 cut at 15") << Kind::Latin1 << QStringLiteral("0123456789abcdefghij")
                                       << QByteArray("0123456789abcde") << QString();
    QTest::newRow("Latin-1 refuses a Chinese character")
        << Kind::Latin1 << Power << QByteArray()
        << QStringLiteral("The character '\u7535' cannot be stored in a key name in Latin-1.");
    QTest::newRow("Latin-1 refuses the euro sign")
        << Kind::Latin1 << QStringLiteral("5 \u20AC") << QByteArray()
        << QStringLiteral("The character '\u20AC' cannot be stored in a key name in Latin-1.");
    QTest::newRow("GBK pairs") << Kind::Gbk << Power << PowerGbk << QString();
    QTest::newRow("GBK mixed") << Kind::Gbk << QStringLiteral("TV") + Volume + u'+' << "TV" + VolumeGbk + "+"
                               << QString();
    QTest::newRow("GBK cut between characters")
        << Kind::Gbk << Power + Volume + Power + Volume << PowerGbk + VolumeGbk + PowerGbk + VolumeGbk.left(2)
        << QString();
    QTest::newRow("GBK never splits a pair")
        << Kind::Gbk << QStringLiteral("AB") + Power + Volume + Power + Volume
        << "AB" + PowerGbk + VolumeGbk + PowerGbk << QString();
    QTest::newRow("GBK refuses a character outside it")
        << Kind::Gbk << QStringLiteral("TV \U0001F600") << QByteArray()
        << QStringLiteral("The character '\U0001F600' cannot be stored in a key name in GBK.");
    QTest::newRow("GBK refuses a character it has no pair for")
        << Kind::Gbk << QStringLiteral("\u00C5") << QByteArray()
        << QStringLiteral("The character '\u00C5' cannot be stored in a key name in GBK.");
    QTest::newRow("GBK refuses U+FFFD")
        << Kind::Gbk << QStringLiteral("A\uFFFD") << QByteArray()
        << QStringLiteral("The character '\uFFFD' cannot be stored in a key name in GBK.");
    QTest::newRow("characters beyond the cut are not looked at")
        << Kind::Latin1 << QStringLiteral("0123456789abcde") + Power << QByteArray("0123456789abcde") << QString();
    QTest::newRow("empty") << Kind::Gbk << QString() << QByteArray("") << QString();
}

void TestNameEncoding::encode()
{
    QFETCH(Kind, kind);
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, refusal);

    QString message;
    const std::optional<QByteArray> encoded = NameEncoding(kind).encode(name, IrBlock::NameLength, &message);
    QCOMPARE(encoded.has_value(), refusal.isEmpty());
    QCOMPARE(encoded.value_or(QByteArray()), bytes);
    QCOMPARE(message, refusal);
}

void TestNameEncoding::everyGbkPairReadsBackToItsBytes()
{
    const NameEncoding gbk(Kind::Gbk);
    int pairs = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            const QByteArray bytes{char(lead), char(trail)};
            const QString text = gbk.decode(bytes);
            QVERIFY2(!text.contains(QChar::ReplacementCharacter), bytes.toHex().constData());
            QCOMPARE(gbk.encode(text, 2, nullptr).value_or(QByteArray()), bytes);
            ++pairs;
        }
    }
    QCOMPARE(pairs, 126 * 190);
}

void TestNameEncoding::unchangedNameKeepsItsBytes_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("current");
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray unreadable = "A" + PowerGbk + "\xB5";
    QTest::newRow("bytes GBK cannot show") << Kind::Gbk << QStringLiteral("A") + Power + u'\uFFFD' << unreadable
                                           << unreadable;
    QTest::newRow("changed name is encoded") << Kind::Gbk << Volume << unreadable << VolumeGbk;
    QTest::newRow("Latin-1 reading of GBK bytes") << Kind::Latin1 << QStringLiteral("\u00B5\u00E7\u00D4\u00B4")
                                                  << PowerGbk << PowerGbk;
}

void TestNameEncoding::unchangedNameKeepsItsBytes()
{
    QFETCH(Kind, kind);
    QFETCH(QString, name);
    QFETCH(QByteArray, current);
    QFETCH(QByteArray, bytes);

    QString refusal;
    QCOMPARE(NameEncoding(kind).encodeKeeping(name, current, IrBlock::NameLength, &refusal).value_or("?"),
             bytes);
    QCOMPARE(refusal, QString());
}

void TestNameEncoding::labels()
{
    QCOMPARE(NameEncoding().kind(), Kind::Latin1);
    QCOMPARE(NameEncoding(Kind::Latin1).label(), QStringLiteral("Latin-1"));
    QCOMPARE(NameEncoding(Kind::Gbk).label(), QStringLiteral("GBK"));
    QCOMPARE(NameEncoding::fromLabel(QStringLiteral("gbk")), std::optional<Kind>(Kind::Gbk));
    QCOMPARE(NameEncoding::fromLabel(QStringLiteral("Latin-1")), std::optional<Kind>(Kind::Latin1));
    QCOMPARE(NameEncoding::fromLabel(QStringLiteral("Big5")), std::optional<Kind>());
}

void TestNameEncoding::derivationReadsTheNameInTheEncoding()
{
    IrBlock block;
    block.setNameBytes(PowerGbk);
    QCOMPARE(deriveFields(block.toByteArray(), NameEncoding(Kind::Gbk)).function, Power);
    QCOMPARE(deriveFields(block.toByteArray(), NameEncoding(Kind::Latin1)).function,
             QStringLiteral("\u00B5\u00E7\u00D4\u00B4"));
}

QTEST_GUILESS_MAIN(TestNameEncoding)
#include "tst_nameencoding.moc"
