#include "core/formats/CodeImport.h"
#include "core/formats/ProntoCode.h"
#include "core/formats/ProntoFormat.h"
#include "core/signal/IrDecoder.h"

#include <QTest>

namespace {

QString word(int value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

// A NEC key as code lists give it at 38 kHz (frequency word 006D): leader
// 0157 00AC, a bit as 0015 0015 (0) or 0015 0040 (1), address, its inverse,
// command, its inverse, least significant bit first, a stop mark and the rest
// of the 108 ms frame; the repeat code 0157 0056 0015 0E94.
QStringList necFrame(int address, int command)
{
    QStringList words{QStringLiteral("0157"), QStringLiteral("00AC")};
    const quint32 bits = address | (~address & 0xFF) << 8 | command << 16 | (~command & 0xFF) << 24;
    for (int i = 0; i < 32; ++i)
        words << QStringLiteral("0015") << ((bits >> i & 1) ? QStringLiteral("0040") : QStringLiteral("0015"));
    words << QStringLiteral("0015") << QStringLiteral("0689");
    return words;
}

const QStringList NecRepeatCode{QStringLiteral("0157"), QStringLiteral("0056"), QStringLiteral("0015"),
                                QStringLiteral("0E94")};

QString necCode(int address, int command, int oncePairs, int repeatPairs)
{
    QStringList words{QStringLiteral("0000"), QStringLiteral("006D"), word(oncePairs), word(repeatPairs)};
    words += necFrame(address, command);
    if (oncePairs == 34 && repeatPairs == 2)
        words += NecRepeatCode;
    return words.join(QLatin1Char(' '));
}

CodedKey onlyKey(const QByteArray &text)
{
    const IrResult<CodeFile> read = ProntoFormat::read(text);
    if (!read.isOk())
        qFatal("%s", qPrintable(read.error()));
    if (read.value().keys.size() != 1)
        qFatal("%d keys", int(read.value().keys.size()));
    return read.value().keys.first();
}

} // namespace

class TestProntoCode : public QObject
{
    Q_OBJECT

private slots:
    void codeListCodesDecode_data();
    void codeListCodesDecode();
    void frequencyWordGivesTheCarrier_data();
    void frequencyWordGivesTheCarrier();
    void marksCountPeriodsAndSpacesTime();
    void generatedCodesAreBuilt_data();
    void generatedCodesAreBuilt();
    void durationTooLongForAWordIsRefused();
};

void TestProntoCode::codeListCodesDecode_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("repeatStart");
    QTest::addColumn<int>("repeatEnd");

    QTest::newRow("once 34, repeat 0") << necCode(0x10, 0x00, 34, 0) << 0x10 << 0x00 << 0 << 0;
    QTest::newRow("once 34, repeat code") << necCode(0x04, 0x08, 34, 2) << 0x04 << 0x08 << 34 << 36;
    QTest::newRow("repeat 34 only") << necCode(0x40, 0x12, 0, 34) << 0x40 << 0x12 << 0 << 34;
    QTest::newRow("lower case") << necCode(0xAB, 0xCD, 34, 0).toLower() << 0xAB << 0xCD << 0 << 0;
}

void TestProntoCode::codeListCodesDecode()
{
    QFETCH(QString, code);
    QFETCH(int, address);
    QFETCH(int, command);
    QFETCH(int, repeatStart);
    QFETCH(int, repeatEnd);
    const CodedKey key = onlyKey(QStringLiteral("Power\n%1\n").arg(code).toUtf8());
    const IrTiming &capture = key.captures.first();
    QCOMPARE(capture.repeatStart(), repeatStart);
    QCOMPARE(capture.repeatEnd(), repeatEnd);
    const IrResult<IrBlock> block = CodeImport::blockFor(key);
    QVERIFY2(block.isOk(), qPrintable(block.error()));
    const IrDecode decoded = IrDecoder::decode(block.value());
    QCOMPARE(decoded.kind, IrDecode::Kind::Code);
    QCOMPARE(decoded.code.text(), (IrCode{IrProtocol::Nec, quint32(address), quint32(command)}.text()));
}

void TestProntoCode::frequencyWordGivesTheCarrier_data()
{
    QTest::addColumn<QString>("frequencyWord");
    QTest::addColumn<int>("carrierPeriod");
    // f = 4,145,146 / N, and the module's period the nearest to 1,844,000 / f.
    QTest::newRow("006D: 38,029 Hz") << QStringLiteral("006D") << 48;
    QTest::newRow("0073: 36,044 Hz") << QStringLiteral("0073") << 51;
    QTest::newRow("0068: 39,857 Hz") << QStringLiteral("0068") << 46;
    QTest::newRow("006B: 38,740 Hz") << QStringLiteral("006B") << 48;
    QTest::newRow("0239: 7,285 Hz") << QStringLiteral("0239") << 253;
}

void TestProntoCode::frequencyWordGivesTheCarrier()
{
    QFETCH(QString, frequencyWord);
    QFETCH(int, carrierPeriod);
    const CodedKey key = onlyKey(QStringLiteral("0000 %1 0001 0000 0010 0020\n").arg(frequencyWord).toUtf8());
    QCOMPARE(key.captures.first().carrierPeriod(), carrierPeriod);
}

void TestProntoCode::marksCountPeriodsAndSpacesTime()
{
    const CodedKey key = onlyKey("0000 006D 0002 0000 0157 0020 0010 0689\n");
    const IrTiming &capture = key.captures.first();
    QCOMPARE(capture.symbols().at(0).burst, quint16(0x157));
    QCOMPARE(capture.symbols().at(1).burst, quint16(0x10));
    // 32 periods of 4,145,146 / 109 Hz are 841 us: 194 gap ticks.
    QCOMPARE(capture.symbols().at(1).gap, quint16(194));

    const IrResult<ProntoCode::Written> written = ProntoCode::write(capture, false);
    QVERIFY2(written.isOk(), qPrintable(written.error()));
    // The module's 38,416 Hz is frequency word 006C; the marks keep their counts.
    QVERIFY(written.value().text.startsWith(QStringLiteral("0000 006C 0002 0000 0157 0020 0010 ")));
    QVERIFY(written.value().note.isEmpty());
}

void TestProntoCode::generatedCodesAreBuilt_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("RC5") << QStringLiteral("5000 0073 0000 0001 0005 000C") << QStringLiteral("RC5 0x05 0x0C");
    QTest::newRow("RC5 with command 0x4C is RC5X")
        << QStringLiteral("5000 0073 0000 0001 0005 004C") << QStringLiteral("RC5X 0x05 0x4C");
    QTest::newRow("RC6") << QStringLiteral("6000 0073 0000 0001 0010 0020") << QStringLiteral("RC6 0x10 0x20");
}

void TestProntoCode::generatedCodesAreBuilt()
{
    QFETCH(QString, code);
    QFETCH(QString, text);
    const CodedKey key = onlyKey(code.toUtf8());
    QVERIFY(key.captures.isEmpty());
    QCOMPARE(key.code->text(), text);
    const IrResult<IrBlock> block = CodeImport::blockFor(key);
    QVERIFY2(block.isOk(), qPrintable(block.error()));
    QCOMPARE(IrDecoder::decode(block.value()).code.text(), text);
}

void TestProntoCode::durationTooLongForAWordIsRefused()
{
    // At 1,844,000 Hz a period of the frequency word 0002 is 0.48 us: a gap of
    // 80 ms takes 165,793.
    const IrTiming capture(1, {{100, 10}, {18432, 10}});
    const IrResult<ProntoCode::Written> written = ProntoCode::write(capture, false);
    QVERIFY(!written.isOk());
    QCOMPARE(written.error(),
             QStringLiteral("the space after mark 1 of 79994 us is 165793 periods of the frequency "
                            "word 0002; a Pronto word holds at most 65535"));
}

QTEST_GUILESS_MAIN(TestProntoCode)
#include "tst_prontocode.moc"
