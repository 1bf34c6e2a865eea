#include "core/signal/IrBlockWriter.h"
#include "core/signal/IrEncoder.h"
#include "core/signal/IrTiming.h"

#include <QSet>
#include <QTest>

namespace {

using Pulse = IrTiming::Pulse;

void putWord(IrBlock &block, int at, int value)
{
    block.set(at, uchar(value >> 8));
    block.set(at + 1, uchar(value));
}

// A Normal block as a module might write it: table entries in any order,
// the unnamed header bytes set.
IrBlock moduleBlock()
{
    IrBlock block;
    block.set(0, 'r');
    block.set(1, 48);
    block.set(2, 0x12);
    block.set(10, 3);
    putWord(block, 4, 2);
    putWord(block, 6, 4);
    putWord(block, 8, 4);
    const int entries[3][2] = {{100, 21}, {0, 300}, {2000, 5}};
    for (int k = 0; k < 3; ++k) {
        putWord(block, 11 + 4 * k, entries[k][0]);
        putWord(block, 13 + 4 * k, entries[k][1]);
    }
    block.set(256, 0x01); // symbols 1, 0
    block.set(257, 0x02); // symbols 2, 0
    return block;
}

QList<IrDuration> symbols(std::initializer_list<IrDuration> list)
{
    return QList<IrDuration>(list);
}

} // namespace

class TestIrTiming : public QObject
{
    Q_OBJECT

private slots:
    void readsSymbolsOfEachCapture();
    void pulsesFollowGapThenBurst();
    void leadOut_data();
    void leadOut();
    void blockRoundTripIsExact_data();
    void blockRoundTripIsExact();
    void foreignTableKeepsDurations();
    void microsRoundTripIsExact();
    void carrierPeriod_data();
    void carrierPeriod();
    void capacityLimitsReading();
    void refusals_data();
    void refusals();
    void microsRefusals_data();
    void microsRefusals();
    void jitterMergesIntoTable();
    void distinctLengthsAreNotMerged();
};

void TestIrTiming::readsSymbolsOfEachCapture()
{
    IrBlock block = moduleBlock();
    block.set(128, 'r');
    block.set(129, 51);
    putWord(block, 136, 3);
    putWord(block, 139, 7); // entry 0 of the second table
    putWord(block, 141, 9);
    putWord(block, 143, 1); // entry 1
    putWord(block, 145, 2);
    block.set(384, 0x10);
    block.set(385, 0x01);

    const QList<IrTiming> captures = IrTiming::capturesOf(block);
    QCOMPARE(captures.size(), 2);
    QCOMPARE(captures[0].carrierPeriod(), 48);
    QCOMPARE(captures[0].symbols(),
             symbols({{0, 300}, {100, 21}, {2000, 5}, {100, 21}}));
    QCOMPARE(captures[1].carrierPeriod(), 51);
    QCOMPARE(captures[1].symbols(), symbols({{7, 9}, {1, 2}, {1, 2}}));
    QCOMPARE(captures[0].carrierHz(), 38416);

    QVERIFY(IrTiming::capturesOf(IrBlock()).isEmpty());
    QVERIFY(IrTiming::capturesOf(IrBlock::filled(0xFF)).isEmpty());
    QCOMPARE(IrTiming::capturesOf(moduleBlock()).size(), 1);
}

// Symbol i is gap i then burst i: pulse i is burst i with the gap of symbol
// i + 1 after it, in the waveform's microseconds (gap 100 = 433 us, burst 21
// at period 48 = 546 us).
void TestIrTiming::pulsesFollowGapThenBurst()
{
    const IrTiming timing = IrTiming::fromBlock(moduleBlock(), 0);
    QCOMPARE(timing.leadInMicros(), 0);
    QCOMPARE(timing.pulses(), (QList<Pulse>{{7811, 433}, {546, 8679}, {130, 433}, {546, 8679}}));
    QCOMPARE(timing.durationCount(), 7);
    QCOMPARE(timing.repeatStart(), 2);
    QCOMPARE(timing.repeatEnd(), 4);

    const IrTiming unmodulated(0, symbols({{10, 500}, {20, 1}}));
    QCOMPARE(unmodulated.pulses(), (QList<Pulse>{{8, 86}, {8, IrTiming::FixedLeadOutUs}}));
    QCOMPARE(unmodulated.leadInMicros(), 43);
}

void TestIrTiming::leadOut_data()
{
    QTest::addColumn<int>("repeatStart");
    QTest::addColumn<int>("repeatEnd");
    QTest::addColumn<qint64>("leadOut");

    QTest::newRow("gap before the repeated part") << 1 << 3 << qint64(8679);
    QTest::newRow("no repeated part") << 0 << 0 << IrTiming::FixedLeadOutUs;
    QTest::newRow("empty repeated part") << 2 << 2 << IrTiming::FixedLeadOutUs;
    QTest::newRow("repeat from the first symbol") << 0 << 3 << IrTiming::FixedLeadOutUs;
    QTest::newRow("repeat past the end") << 1 << 9 << IrTiming::FixedLeadOutUs;
}

void TestIrTiming::leadOut()
{
    QFETCH(int, repeatStart);
    QFETCH(int, repeatEnd);
    QFETCH(qint64, leadOut);
    const IrTiming timing(48, symbols({{0, 20}, {2000, 20}, {100, 20}}), repeatStart, repeatEnd);
    QCOMPARE(timing.leadOutMicros(), leadOut);
    QCOMPARE(timing.pulses().last().spaceUs, leadOut);
}

void TestIrTiming::blockRoundTripIsExact_data()
{
    QTest::addColumn<IrBlock>("block");

    const auto encoded = [](IrProtocol protocol, quint32 address, quint32 command) {
        const IrResult<IrBlock> block = IrEncoder::block({protocol, address, command});
        return block.value();
    };
    QTest::newRow("NEC") << encoded(IrProtocol::Nec, 0x04, 0x08);
    QTest::newRow("Kaseikyo") << encoded(IrProtocol::Kaseikyo, 0x2002080, 0x03D);
    QTest::newRow("RC5/RC6 block") << encoded(IrProtocol::Rc6, 0x00, 0x0C);
    QTest::newRow("Sharp, two halves") << encoded(IrProtocol::Sharp, 0x11, 0xA5);

    const IrTiming full(49, QList<IrDuration>(512, IrDuration{130, 21}), 100, 512);
    QTest::newRow("512 symbols") << IrBlockWriter::write({full}).value();
    QTest::newRow("empty capture") << IrBlockWriter::write({IrTiming(0, {})}).value();
}

void TestIrTiming::blockRoundTripIsExact()
{
    QFETCH(IrBlock, block);
    const IrResult<IrBlock> again = IrBlockWriter::write(IrTiming::capturesOf(block));
    QVERIFY2(again.isOk(), qPrintable(again.error()));
    QCOMPARE(again.value(), block);
}

// A block whose table the module wrote in its own order, with header bytes
// only the module knows: written back, the bytes may differ, the durations
// and the repeated part do not.
void TestIrTiming::foreignTableKeepsDurations()
{
    const QList<IrTiming> captures = IrTiming::capturesOf(moduleBlock());
    const IrResult<IrBlock> written = IrBlockWriter::write(captures);
    QVERIFY(written.isOk());
    QCOMPARE(IrTiming::capturesOf(written.value()), captures);
    QCOMPARE(written.value().at(2), uchar(0));
    QCOMPARE(written.value().at(10), uchar(0));
}

void TestIrTiming::microsRoundTripIsExact()
{
    for (const IrProtocol protocol : {IrProtocol::Nec, IrProtocol::Rc5, IrProtocol::Sirc20, IrProtocol::Rca}) {
        const IrTiming timing = IrEncoder::timings({protocol, 1, 1}).value().first();
        const IrResult<IrTiming> back = IrTiming::fromMicros(timing.carrierHz(), timing.pulses(),
                                                             timing.repeatStart(), timing.repeatEnd(),
                                                             timing.leadInMicros());
        QVERIFY2(back.isOk(), qPrintable(back.error()));
        QCOMPARE(back.value(), timing);
    }
}

void TestIrTiming::carrierPeriod_data()
{
    QTest::addColumn<int>("hz");
    QTest::addColumn<int>("period");
    QTest::addColumn<QString>("error");

    QTest::newRow("36 kHz") << 36000 << 51 << QString();
    QTest::newRow("38 kHz") << 38000 << 49 << QString();
    QTest::newRow("40 kHz") << 40000 << 46 << QString();
    QTest::newRow("56 kHz") << 56000 << 33 << QString();
    QTest::newRow("no carrier") << 0 << 0 << QString();
    QTest::newRow("lowest") << 7231 << 255 << QString();
    QTest::newRow("highest") << 1844000 << 1 << QString();
    QTest::newRow("just too low") << 7200 << -1
                                  << QStringLiteral("carrier of 7200 Hz needs a period of 256 clock ticks; "
                                                    "the module counts at most 255 (1 too many)");
    QTest::newRow("far too low") << 1000 << -1
                                 << QStringLiteral("carrier of 1000 Hz needs a period of 1844 clock ticks; "
                                                   "the module counts at most 255 (1589 too many)");
    QTest::newRow("above the clock") << 4000000 << -1
                                     << QStringLiteral("carrier of 4000000 Hz is above the module's clock of "
                                                       "1844000 Hz by 2156000 Hz");
}

void TestIrTiming::carrierPeriod()
{
    QFETCH(int, hz);
    QFETCH(int, period);
    QFETCH(QString, error);
    const IrResult<int> result = IrTiming::carrierPeriodFor(hz);
    QCOMPARE(result.isOk(), error.isEmpty());
    if (result.isOk())
        QCOMPARE(result.value(), period);
    QCOMPARE(result.error(), error);
    if (result.isOk() && period > 0)
        QCOMPARE(IrTiming::carrierPeriodFor(IrTiming(period, {}).carrierHz()).value(), period);
}

// A Normal block reads up to 512 symbols, each capture of an RC5/RC6 block up
// to 256, whatever SymbolCount says.
void TestIrTiming::capacityLimitsReading()
{
    IrBlock block = IrBlock::filled(0x11);
    block.set(0, 'r');
    block.set(128, 0);
    putWord(block, 8, 600);
    QCOMPARE(IrTiming::fromBlock(block, 0).size(), 512);
    block.set(128, 'r');
    putWord(block, 136, 0xFFFF);
    QCOMPARE(IrTiming::fromBlock(block, 0).size(), 256);
    QCOMPARE(IrTiming::fromBlock(block, 1).size(), 256);
}

void TestIrTiming::refusals_data()
{
    QTest::addColumn<QList<IrTiming>>("captures");
    QTest::addColumn<QString>("error");

    QTest::newRow("too many symbols")
        << QList<IrTiming>{IrTiming(49, QList<IrDuration>(600, IrDuration{130, 21}))}
        << QStringLiteral("600 symbols; a block holds 512 (88 too many)");
    QTest::newRow("too many in an RC5/RC6 capture")
        << QList<IrTiming>{IrTiming(49, {}), IrTiming(49, QList<IrDuration>(300, IrDuration{130, 21}))}
        << QStringLiteral("capture 2: 300 symbols; a capture of an RC5/RC6 block holds 256 (44 too many)");

    QList<IrDuration> distinct;
    for (int k = 0; k < 20; ++k)
        distinct.append({quint16(100 << (k % 10)), quint16(k < 10 ? 20 : 200)});
    QTest::newRow("20 distinct durations")
        << QList<IrTiming>{IrTiming(49, distinct)}
        << QStringLiteral("20 different durations remain after merging those within 10 %; the table holds 16 "
                          "(4 too many)");
    QTest::newRow("three captures") << QList<IrTiming>(3, IrTiming(49, {}))
                                    << QStringLiteral("a block holds one or two captures, not 3");
}

void TestIrTiming::refusals()
{
    QFETCH(QList<IrTiming>, captures);
    QFETCH(QString, error);
    const IrResult<IrBlock> result = IrBlockWriter::write(captures);
    QVERIFY(!result.isOk());
    QCOMPARE(result.error(), error);
}

void TestIrTiming::microsRefusals_data()
{
    QTest::addColumn<int>("hz");
    QTest::addColumn<QList<Pulse>>("pulses");
    QTest::addColumn<int>("repeatEnd");
    QTest::addColumn<QString>("error");

    const QList<Pulse> ok{{560, 560}, {560, 40000}};
    QTest::newRow("gap past 16 bits")
        << 38000 << QList<Pulse>{{560, 300000}, {560, 0}} << 0
        << QStringLiteral("the space after mark 1 of 300000 us is 69125 gap ticks; a gap holds at most 65535 "
                          "(3590 too many)");
    QTest::newRow("burst past 16 bits") << 38000 << QList<Pulse>{{2000000, 0}} << 0
                                        << QStringLiteral("mark 1 of 2000000 us is 75238 carrier periods; a burst "
                                                          "holds at most 65535 (9703 too many)");
    QTest::newRow("long mark without carrier")
        << 0 << ok << 0
        << QStringLiteral("without a carrier every burst lasts 8 us; mark 1 lasts 560 us (552 us too long)");
    QTest::newRow("carrier") << 5000 << ok << 0
                             << QStringLiteral("carrier of 5000 Hz needs a period of 369 clock ticks; the module "
                                               "counts at most 255 (114 too many)");
    QTest::newRow("negative") << 38000 << QList<Pulse>{{560, -5}, {560, 0}} << 0
                              << QStringLiteral("pulse 2 has a negative duration");
    QTest::newRow("repeat past the end") << 38000 << ok << 3
                                         << QStringLiteral("repeated part 0..3 is not within the 2 pulses");
}

void TestIrTiming::microsRefusals()
{
    QFETCH(int, hz);
    QFETCH(QList<Pulse>, pulses);
    QFETCH(int, repeatEnd);
    QFETCH(QString, error);
    const IrResult<IrTiming> result = IrTiming::fromMicros(hz, pulses, 0, repeatEnd);
    QVERIFY(!result.isOk());
    QCOMPARE(result.error(), error);
}

// Pulses around two lengths, each up to 6 % off: far more distinct
// pairs than the table holds, merged so that each stays near its own length.
void TestIrTiming::jitterMergesIntoTable()
{
    QList<Pulse> pulses;
    for (int i = 0; i < 60; ++i) {
        const qint64 wobble = 1000 + (i * 37 % 121) - 60;
        pulses.append({560 * wobble / 1000, (i % 3 == 0 ? 1690 : 560) * (2000 - wobble) / 1000});
    }
    const IrTiming timing = IrTiming::fromMicros(38000, pulses, 0, 0).value();
    QSet<QPair<int, int>> distinct;
    for (const IrDuration &d : timing.symbols())
        distinct.insert({d.gap, d.burst});
    QVERIFY(distinct.size() > IrBlockWriter::TableEntries);

    const IrResult<IrBlock> block = IrBlockWriter::write({timing});
    QVERIFY2(block.isOk(), qPrintable(block.error()));
    const QList<Pulse> read = IrTiming::fromBlock(block.value(), 0).pulses();
    QCOMPARE(read.size(), pulses.size());
    const auto near = [](qint64 actual, qint64 expected) { return std::abs(actual - expected) * 10 <= expected; };
    for (int i = 0; i < 59; ++i) {
        QVERIFY2(near(read[i].markUs, 560), qPrintable(QString::number(read[i].markUs)));
        QVERIFY2(near(read[i].spaceUs, i % 3 == 0 ? 1690 : 560), qPrintable(QString::number(read[i].spaceUs)));
    }
}

// Sixteen entries fit as they are, however close: nothing is merged.
void TestIrTiming::distinctLengthsAreNotMerged()
{
    QList<IrDuration> table;
    for (int k = 0; k < 16; ++k)
        table.append({quint16(100 + k), 20});
    const IrTiming timing(49, table);
    const IrResult<IrBlock> block = IrBlockWriter::write({timing});
    QVERIFY(block.isOk());
    QCOMPARE(IrTiming::fromBlock(block.value(), 0), timing);
}

QTEST_GUILESS_MAIN(TestIrTiming)
#include "tst_irtiming.moc"
