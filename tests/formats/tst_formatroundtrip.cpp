#include "FormatSamples.h"

#include "core/formats/CodeFormat.h"
#include "core/formats/CodeImport.h"
#include "core/formats/FlipperFormat.h"
#include "core/formats/ProntoCode.h"
#include "core/signal/IrBlockWriter.h"

#include <QTest>

using FormatSamples::CaptureShape;

Q_DECLARE_METATYPE(CodeFormat)
Q_DECLARE_METATYPE(QList<CaptureShape>)

namespace {

constexpr double GapTickUs = 9600.0 / 2212.0;

// One period of the Pronto frequency word for the carrier, in gap ticks:
// the quantisation of Pronto spaces.
int prontoUnitTicks(int carrierPeriod)
{
    const int word = carrierPeriod == 0 ? ProntoCode::UnmodulatedFrequencyWord
                                        : int((ProntoCode::FrequencyConstant * carrierPeriod + 922000) / 1844000);
    return int(std::ceil(word * 1e6 / ProntoCode::FrequencyConstant / GapTickUs));
}

} // namespace

class TestFormatRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void learnedBlockComesBackInModuleUnits_data();
    void learnedBlockComesBackInModuleUnits();
    void severalKeysKeepTheirOrderNamesAndRemarks_data();
    void severalKeysKeepTheirOrderNamesAndRemarks();
    void flipperLeavesOutLongSignalsWithAMessage();
    void mode2WritesOneKey();
};

void TestFormatRoundTrip::learnedBlockComesBackInModuleUnits_data()
{
    QTest::addColumn<CodeFormat>("format");
    QTest::addColumn<QList<CaptureShape>>("shapes");

    const QList<std::pair<const char *, QList<CaptureShape>>> shapes{
        {"no repeat", {{48, 67, 0, 0, 0}}},
        {"repeat to the end", {{48, 40, 34, 40, 0}}},
        {"all repeated", {{51, 24, 0, 24, 0}}},
        {"repeat inside", {{46, 50, 10, 20, 0}}},
        {"empty repeat", {{48, 30, 5, 5, 0}}},
        {"lead-in", {{40, 30, 20, 30, 3000}}},
        {"no carrier", {{0, 20, 0, 0, 0}}},
        {"slow carrier", {{255, 30, 12, 30, 0}}},
        {"fast carrier", {{4, 30, 0, 0, 0}}},
        {"full block", {{48, 512, 300, 512, 0}}},
        {"RC5/RC6 block", {{51, 100, 50, 100, 0}, {51, 90, 0, 0, 700}}},
    };
    for (const CodeFormat format : allCodeFormats()) {
        for (const auto &[name, shape] : shapes) {
            QTest::addRow("%s, %s", codeFormatInfo(format).name.data(), name) << format << shape;
        }
    }
}

void TestFormatRoundTrip::learnedBlockComesBackInModuleUnits()
{
    QFETCH(CodeFormat, format);
    QFETCH(QList<CaptureShape>, shapes);
    QRandomGenerator random(quint32(qHash(QTest::currentDataTag())));
    QList<IrTiming> made;
    for (const CaptureShape &shape : shapes)
        made.append(FormatSamples::learnedCapture(shape, random));
    const IrResult<IrBlock> learned = IrBlockWriter::write(made);
    QVERIFY2(learned.isOk(), qPrintable(learned.error()));
    const QList<IrTiming> captures = IrTiming::capturesOf(learned.value());

    const CodeFileOutput output = writeCodes(format, {FormatSamples::keyOf(captures, QStringLiteral("POWER"), 7)});
    QCOMPARE(output.written, 1);
    const IrResult<CodeFile> read = readCodes(format, output.bytes);
    QVERIFY2(read.isOk(), qPrintable(read.error()));
    QVERIFY(read.value().refused.isEmpty());
    QCOMPARE(read.value().keys.size(), 1);
    const IrResult<IrBlock> block = CodeImport::blockFor(read.value().keys.first());
    QVERIFY2(block.isOk(), qPrintable(block.error()));

    const QList<IrTiming> back = IrTiming::capturesOf(block.value());
    QCOMPARE(back.size(), captures.size());
    const bool pronto = format == CodeFormat::Pronto || format == CodeFormat::Csv;
    for (int c = 0; c < captures.size(); ++c) {
        const int gapTicks = pronto ? prontoUnitTicks(captures.at(c).carrierPeriod()) : 0;
        const QString difference = FormatSamples::difference(captures.at(c), back.at(c), gapTicks, 0);
        QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("capture %1: %2").arg(c + 1).arg(difference)));
    }
}

void TestFormatRoundTrip::severalKeysKeepTheirOrderNamesAndRemarks_data()
{
    QTest::addColumn<CodeFormat>("format");
    for (const CodeFormat format : allCodeFormats()) {
        if (format != CodeFormat::Mode2)
            QTest::newRow(codeFormatInfo(format).name.data()) << format;
    }
}

void TestFormatRoundTrip::severalKeysKeepTheirOrderNamesAndRemarks()
{
    QFETCH(CodeFormat, format);
    QRandomGenerator random(7);
    QList<CodedKey> keys;
    // Carriers change between keys: LIRC writes one remote per carrier.
    const QList<int> periods{48, 48, 51, 48, 46};
    for (int i = 0; i < periods.size(); ++i) {
        const IrTiming capture = FormatSamples::learnedCapture({periods.at(i), 20 + i, 0, 0, 0}, random);
        keys.append(FormatSamples::keyOf({capture}, QStringLiteral("KEY_%1").arg(i), i + 1));
    }
    const CodeFileOutput output = writeCodes(format, keys, {QStringLiteral("my remote")});
    QCOMPARE(output.written, keys.size());
    const IrResult<CodeFile> read = readCodes(format, output.bytes);
    QVERIFY2(read.isOk(), qPrintable(read.error()));
    QCOMPARE(read.value().keys.size(), keys.size());
    for (int i = 0; i < keys.size(); ++i) {
        const CodedKey &key = read.value().keys.at(i);
        QCOMPARE(key.name, keys.at(i).name);
        QCOMPARE(key.remark, keys.at(i).remark);
        QCOMPARE(key.captures.first().size(), keys.at(i).captures.first().size());
        QVERIFY(key.line > 0);
    }
}

void TestFormatRoundTrip::flipperLeavesOutLongSignalsWithAMessage()
{
    QRandomGenerator random(3);
    // 513 pulses are 1,025 durations, one more than Flipper takes.
    const IrTiming longCapture(48, QList<IrDuration>(513, {200, 20}));
    const IrTiming shortCapture = FormatSamples::learnedCapture({48, 30, 0, 0, 0}, random);
    const CodeFileOutput output =
        FlipperFormat::write({FormatSamples::keyOf({longCapture}, QStringLiteral("LONG"), 3),
                              FormatSamples::keyOf({shortCapture}, QStringLiteral("SHORT"), 4)});
    QCOMPARE(output.written, 1);
    QCOMPARE(output.refused.size(), 1);
    QCOMPARE(output.refused.first().text(),
             QStringLiteral("row 3 'LONG': 1025 durations; a Flipper raw signal holds at most 1024 (1 too many)"));
    QVERIFY(!output.bytes.contains("LONG"));
}

void TestFormatRoundTrip::mode2WritesOneKey()
{
    QRandomGenerator random(5);
    const IrTiming capture = FormatSamples::learnedCapture({48, 10, 0, 0, 0}, random);
    const CodeFileOutput output = writeCodes(CodeFormat::Mode2,
                                             {FormatSamples::keyOf({capture}, QStringLiteral("A"), 1),
                                              FormatSamples::keyOf({capture}, QStringLiteral("B"), 2)});
    QCOMPARE(output.written, 1);
    QCOMPARE(output.refused.size(), 1);
    QCOMPARE(output.refused.first().text(), QStringLiteral("row 2 'B': a mode2 text holds one key"));
    QVERIFY(output.bytes.startsWith("# remark of A\ncarrier 38416\npulse "));
}

QTEST_GUILESS_MAIN(TestFormatRoundTrip)
#include "tst_formatroundtrip.moc"
