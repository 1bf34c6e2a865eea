#include "SignalSamples.h"

#include "core/signal/IrBlockWriter.h"
#include "core/signal/IrDecoder.h"
#include "core/signal/IrEncoder.h"

#include <QTest>

using Pulse = IrTiming::Pulse;


namespace {

constexpr int RandomCodes = 100;

IrTiming firstCapture(const IrCode &code)
{
    return IrEncoder::timings(code).value().first();
}

// The key press of code without its repeated part, as marks and spaces.
QList<Pulse> keyPress(const IrCode &code)
{
    const IrTiming timing = firstCapture(code);
    return timing.pulses().first(timing.repeatStart());
}

IrTiming capture(int carrierHz, const QList<Pulse> &pulses)
{
    return IrTiming::fromMicros(carrierHz, pulses, 0, 0).value();
}

IrBlock normalBlock(const IrTiming &timing)
{
    return IrBlockWriter::write({timing}).value();
}

void addProtocolRows()
{
    QTest::addColumn<IrProtocol>("protocol");
    for (const IrProtocol protocol : allIrProtocols())
        QTest::newRow(qPrintable(irProtocolName(protocol))) << protocol;
}

} // namespace

class TestIrProtocols : public QObject
{
    Q_OBJECT

private slots:
    void protocolNames();
    void knownCodes_data();
    void knownCodes();
    void randomRoundTrip_data();
    void randomRoundTrip();
    void jitteredRoundTrip_data();
    void jitteredRoundTrip();
    void mergedRoundTrip_data();
    void mergedRoundTrip();
    void outOfRange_data();
    void outOfRange();
    void checkBits_data();
    void checkBits();
    void repeatsCounted();
    void otherKeyAfterFrameIsRaw();
    void rc5Rc6BlockHoldsBothToggles();
    void summaries_data();
    void summaries();
    void randomBlocksDecodeOnlyRealCodes();
    void damagedCodesDecodeOnlyRealCodes();
};

void TestIrProtocols::protocolNames()
{
    QStringList names;
    for (const IrProtocol protocol : allIrProtocols()) {
        names.append(irProtocolName(protocol));
        QCOMPARE(irProtocolFromName(irProtocolName(protocol).toLower()), std::optional(protocol));
        QCOMPARE(irProtocolFromName(irProtocolName(protocol).toUpper()), std::optional(protocol));
    }
    QCOMPARE(names.join(u' '), QStringLiteral("NEC NECext NEC42 NEC42ext Samsung32 SIRC SIRC15 SIRC20 RC5 RC5X RC6 "
                                              "JVC Kaseikyo Sharp Denon RCA"));
    QVERIFY(!irProtocolFromName(u"Nokia32"));
    QVERIFY(!irProtocolFromName(u""));
}

void TestIrProtocols::knownCodes_data()
{
    QTest::addColumn<IrCode>("code");
    QTest::addColumn<QString>("summary");

    using P = IrProtocol;
    QTest::newRow("NEC") << IrCode{P::Nec, 0x04, 0x08} << "NEC 0x04 0x08";
    QTest::newRow("NECext") << IrCode{P::NecExt, 0x1234, 0x56} << "NECext 0x1234 0x56";
    QTest::newRow("NEC42") << IrCode{P::Nec42, 0x1ABC, 0x12} << "NEC42 0x1ABC 0x12";
    QTest::newRow("NEC42ext") << IrCode{P::Nec42Ext, 0x3FFFFFF, 0xFF} << "NEC42ext 0x3FFFFFF 0xFF";
    QTest::newRow("Samsung32") << IrCode{P::Samsung32, 0x07, 0x02} << "Samsung32 0x07 0x02";
    QTest::newRow("SIRC") << IrCode{P::Sirc, 0x01, 0x15} << "SIRC 0x01 0x15";
    QTest::newRow("SIRC15") << IrCode{P::Sirc15, 0x1A, 0x3C} << "SIRC15 0x1A 0x3C";
    QTest::newRow("SIRC20") << IrCode{P::Sirc20, 0xABC, 0x7F} << "SIRC20 0x0ABC 0x7F";
    QTest::newRow("RC5") << IrCode{P::Rc5, 0x00, 0x0C} << "RC5 0x00 0x0C";
    QTest::newRow("RC5X") << IrCode{P::Rc5x, 0x1F, 0x7F, true} << "RC5X 0x1F 0x7F";
    QTest::newRow("RC6") << IrCode{P::Rc6, 0xA5, 0x5A} << "RC6 0xA5 0x5A";
    QTest::newRow("JVC") << IrCode{P::Jvc, 0x03, 0x17} << "JVC 0x03 0x17";
    QTest::newRow("Kaseikyo") << IrCode{P::Kaseikyo, 0x2002080, 0x03D} << "Kaseikyo 0x2002080 0x03D";
    QTest::newRow("Sharp") << IrCode{P::Sharp, 0x01, 0xC2} << "Sharp 0x01 0xC2";
    QTest::newRow("Denon") << IrCode{P::Denon, 0x02, 0x11} << "Denon 0x02 0x11";
    QTest::newRow("RCA") << IrCode{P::Rca, 0xF, 0x8A} << "RCA 0x0F 0x8A";
}

void TestIrProtocols::knownCodes()
{
    QFETCH(IrCode, code);
    QFETCH(QString, summary);
    const IrResult<IrBlock> block = IrEncoder::block(code);
    QVERIFY2(block.isOk(), qPrintable(block.error()));
    QCOMPARE(block.value().isRc5Rc6(), irProtocolInfo(code.protocol).hasToggle);

    const IrDecode decoded = IrDecoder::decode(block.value());
    QCOMPARE(decoded.kind, IrDecode::Kind::Code);
    QVERIFY2(decoded.code.sameKey(code), qPrintable(decoded.code.text()));
    QCOMPARE(decoded.code.repeats, 1);
    QCOMPARE(decoded.summary(), summary);
    QCOMPARE(IrDecoder::summary(block.value()), summary);
}

void TestIrProtocols::randomRoundTrip_data()
{
    addProtocolRows();
}

void TestIrProtocols::randomRoundTrip()
{
    QFETCH(IrProtocol, protocol);
    QRandomGenerator random(0x5EED0000u + quint32(protocol));
    for (int i = 0; i < RandomCodes; ++i) {
        const IrCode code = SignalSamples::randomCode(protocol, random);
        const IrResult<IrBlock> block = IrEncoder::block(code);
        QVERIFY2(block.isOk(), qPrintable(code.text() + QStringLiteral(": ") + block.error()));
        const IrDecode decoded = IrDecoder::decode(block.value());
        QVERIFY2(decoded.kind == IrDecode::Kind::Code && decoded.code.sameKey(code),
                 qPrintable(code.text() + QStringLiteral(" -> ") + decoded.summary()));
    }
}

void TestIrProtocols::jitteredRoundTrip_data()
{
    addProtocolRows();
}

// Every duration up to a fifth off: each mark and space of a capture on its
// own, and each duration-table entry of the block (16 entries cannot hold a
// signal whose every symbol differs).
void TestIrProtocols::jitteredRoundTrip()
{
    QFETCH(IrProtocol, protocol);
    QRandomGenerator random(0x717E0000u + quint32(protocol));
    for (int i = 0; i < RandomCodes; ++i) {
        const IrCode code = SignalSamples::randomCode(protocol, random);
        const QList<IrTiming> captures = IrEncoder::timings(code).value();
        for (const IrTiming &timing : captures) {
            const std::optional<IrCode> decoded = IrDecoder::decode(SignalSamples::jittered(timing, 20, random));
            const std::optional<IrCode> exact = IrDecoder::decode(timing);
            QVERIFY2(decoded && exact && decoded->sameKey(*exact) && exact->address == code.address,
                     qPrintable(code.text()));
        }
        const IrBlock block = SignalSamples::jitteredTable(IrEncoder::block(code).value(), 20, random);
        const IrDecode decoded = IrDecoder::decode(block);
        QVERIFY2(decoded.kind == IrDecode::Kind::Code && decoded.code.sameKey(code),
                 qPrintable(code.text() + QStringLiteral(" -> ") + decoded.summary()));
    }
}

void TestIrProtocols::mergedRoundTrip_data()
{
    addProtocolRows();
}

// Every mark and space a little off, as a raw recording is: more distinct
// durations than the table holds, merged by the block writer, still decoded.
void TestIrProtocols::mergedRoundTrip()
{
    QFETCH(IrProtocol, protocol);
    QRandomGenerator random(0x3E6E0000u + quint32(protocol));
    for (int i = 0; i < RandomCodes; ++i) {
        const IrCode code = SignalSamples::randomCode(protocol, random);
        QList<IrTiming> captures = IrEncoder::timings(code).value();
        for (IrTiming &timing : captures)
            timing = SignalSamples::jittered(timing, 8, random);
        const IrResult<IrBlock> block = IrBlockWriter::write(captures);
        QVERIFY2(block.isOk(), qPrintable(code.text() + QStringLiteral(": ") + block.error()));
        const IrDecode decoded = IrDecoder::decode(block.value());
        QVERIFY2(decoded.kind == IrDecode::Kind::Code && decoded.code.sameKey(code),
                 qPrintable(code.text() + QStringLiteral(" -> ") + decoded.summary()));
    }
}

void TestIrProtocols::outOfRange_data()
{
    QTest::addColumn<IrCode>("code");
    QTest::addColumn<QString>("error");

    using P = IrProtocol;
    QTest::newRow("RC5 address") << IrCode{P::Rc5, 0x20, 0x01} << "RC5 address 0x20 is out of range 0x00..0x1F";
    QTest::newRow("RC5 command") << IrCode{P::Rc5, 0x01, 0x40} << "RC5 command 0x40 is out of range 0x00..0x3F";
    QTest::newRow("RC5X command") << IrCode{P::Rc5x, 0x01, 0x10} << "RC5X command 0x10 is out of range 0x40..0x7F";
    QTest::newRow("SIRC command") << IrCode{P::Sirc, 0x01, 0x80} << "SIRC command 0x80 is out of range 0x00..0x7F";
    QTest::newRow("RCA address") << IrCode{P::Rca, 0x10, 0x01} << "RCA address 0x10 is out of range 0x00..0x0F";
    QTest::newRow("Kaseikyo command")
        << IrCode{P::Kaseikyo, 0, 0x1000} << "Kaseikyo command 0x1000 is out of range 0x000..0xFFF";
    QTest::newRow("NECext in NEC's form")
        << IrCode{P::NecExt, 0xFB04, 0x08}
        << "NECext address 0xFB04 is NEC's form (second part = inverted first part): it is NEC address 0x04";
    QTest::newRow("NEC42ext in NEC42's form")
        << IrCode{P::Nec42Ext, 0x3FFC001, 0x08}
        << "NEC42ext address 0x3FFC001 is NEC42's form (second part = inverted first part): it is NEC42 address "
           "0x0001";
}

void TestIrProtocols::outOfRange()
{
    QFETCH(IrCode, code);
    QFETCH(QString, error);
    QCOMPARE(code.error(), error);
    const IrResult<IrBlock> block = IrEncoder::block(code);
    QVERIFY(!block.isOk());
    QCOMPARE(block.error(), error);
}

// One pulse of a key press changed: check bits decide, durations must fit.
void TestIrProtocols::checkBits_data()
{
    QTest::addColumn<IrCode>("code");
    QTest::addColumn<int>("pulse");
    QTest::addColumn<Pulse>("changed");
    QTest::addColumn<QString>("summary");

    using P = IrProtocol;
    // NEC 0x04 0x08: pulse 1 + i carries bit i in its space (564 us: 0, 1692 us: 1).
    QTest::newRow("NEC inverted command broken")
        << IrCode{P::Nec, 0x04, 0x08} << 25 << Pulse{564, 564} << "raw 38 kHz, 67 durations";
    QTest::newRow("NEC address not inverted: extended")
        << IrCode{P::Nec, 0x04, 0x08} << 9 << Pulse{564, 564} << "NECext 0xFA04 0x08";
    QTest::newRow("NEC leader 20 % long") << IrCode{P::Nec, 0x04, 0x08} << 0 << Pulse{10829, 4512}
                                          << "NEC 0x04 0x08";
    QTest::newRow("NEC leader 30 % long") << IrCode{P::Nec, 0x04, 0x08} << 0 << Pulse{11731, 4512}
                                          << "raw 38 kHz, 67 durations";
    QTest::newRow("NEC bit space between zero and one")
        << IrCode{P::Nec, 0x04, 0x08} << 3 << Pulse{564, 1128} << "raw 38 kHz, 67 durations";
    QTest::newRow("Samsung32 address copies differ")
        << IrCode{P::Samsung32, 0x07, 0x02} << 9 << Pulse{560, 560} << "raw 38 kHz, 67 durations";
    QTest::newRow("Kaseikyo parity broken")
        << IrCode{P::Kaseikyo, 0x2002080, 0x03D} << 17 << Pulse{432, 1296} << "raw 37 kHz, 99 durations";
    QTest::newRow("Kaseikyo check broken")
        << IrCode{P::Kaseikyo, 0x2002080, 0x03D} << 45 << Pulse{432, 1296} << "raw 37 kHz, 99 durations";
    QTest::newRow("RCA inverted address broken")
        << IrCode{P::Rca, 0x05, 0x01} << 13 << Pulse{460, 920} << "raw 58 kHz, 51 durations";
    QTest::newRow("SIRC bit mark too long")
        << IrCode{P::Sirc, 0x01, 0x15} << 1 << Pulse{1800, 600} << "raw 40 kHz, 25 durations";
}

void TestIrProtocols::checkBits()
{
    QFETCH(IrCode, code);
    QFETCH(int, pulse);
    QFETCH(Pulse, changed);
    QFETCH(QString, summary);
    QList<Pulse> pulses = keyPress(code);
    pulses[pulse] = changed;
    const IrTiming timing = capture(firstCapture(code).carrierHz(), pulses);
    QCOMPARE(IrDecoder::summary(normalBlock(timing)), summary);
}

void TestIrProtocols::repeatsCounted()
{
    const IrCode nec{IrProtocol::Nec, 0x10, 0x20};
    const IrTiming once = firstCapture(nec);
    QList<Pulse> pulses = once.pulses();
    const QList<Pulse> repeatCode = pulses.sliced(once.repeatStart());
    pulses += repeatCode + repeatCode;
    std::optional<IrCode> decoded = IrDecoder::decode(capture(38000, pulses));
    QVERIFY(decoded);
    QCOMPARE(decoded->repeats, 3);

    // A held SIRC key: the frame three times.
    const IrCode sirc{IrProtocol::Sirc15, 0x44, 0x11};
    const QList<Pulse> frame = keyPress(sirc);
    decoded = IrDecoder::decode(capture(40000, frame + frame + frame));
    QVERIFY(decoded);
    QVERIFY(decoded->sameKey(sirc));
    QCOMPARE(decoded->repeats, 2);
}

// A capture that holds two different keys is no key.
void TestIrProtocols::otherKeyAfterFrameIsRaw()
{
    const QList<Pulse> pulses = keyPress({IrProtocol::Nec, 0x10, 0x20}) + keyPress({IrProtocol::Nec, 0x10, 0x21});
    QVERIFY(!IrDecoder::decode(capture(38000, pulses)));
    const QList<Pulse> mixed = keyPress({IrProtocol::Rc5, 0x01, 0x02}) + keyPress({IrProtocol::Rc6, 0x01, 0x02});
    QVERIFY(!IrDecoder::decode(capture(36000, mixed)));
}

void TestIrProtocols::rc5Rc6BlockHoldsBothToggles()
{
    const IrCode code{IrProtocol::Rc6, 0x12, 0x34, true};
    const IrBlock block = IrEncoder::block(code).value();
    QVERIFY(block.isRc5Rc6());
    const QList<IrTiming> captures = IrTiming::capturesOf(block);
    QCOMPARE(IrDecoder::decode(captures[0])->toggle, true);
    QCOMPARE(IrDecoder::decode(captures[1])->toggle, false);
    const IrDecode decoded = IrDecoder::decode(block);
    QVERIFY(decoded.bothToggles);
    QVERIFY(decoded.code.toggle);
}

void TestIrProtocols::summaries_data()
{
    QTest::addColumn<IrBlock>("block");
    QTest::addColumn<QString>("summary");

    const QList<IrTiming> rc5 = IrEncoder::timings({IrProtocol::Rc5, 0x00, 0x0C, true}).value();
    const IrTiming other = firstCapture({IrProtocol::Rc5, 0x00, 0x0D});
    const QList<Pulse> broken = keyPress({IrProtocol::Nec, 0x04, 0x08}).first(20);

    QTest::newRow("empty slot") << IrBlock() << QString();
    QTest::newRow("erased slot") << IrBlock::filled(0xFF) << QString();
    QTest::newRow("RC5/RC6 block, both toggles") << IrBlockWriter::write(rc5).value() << "RC5 0x00 0x0C";
    QTest::newRow("RC5/RC6 block, one toggle twice")
        << IrBlockWriter::write({rc5[0], rc5[0]}).value() << "RC5 0x00 0x0C T1";
    QTest::newRow("Normal RC5 block") << normalBlock(rc5[1]) << "RC5 0x00 0x0C T0";
    QTest::newRow("RC5/RC6 block of two keys")
        << IrBlockWriter::write({rc5[0], other}).value()
        << QStringLiteral("raw 36 kHz, %1 durations").arg(rc5[0].durationCount());
    QTest::newRow("cut short") << normalBlock(capture(38000, broken)) << "raw 38 kHz, 39 durations";
    QTest::newRow("no carrier") << normalBlock(capture(0, {{8, 500}, {8, 900}})) << "raw no carrier, 3 durations";
    QTest::newRow("no symbols") << normalBlock(IrTiming(49, {})) << "raw 38 kHz, 0 durations";
}

void TestIrProtocols::summaries()
{
    QFETCH(IrBlock, block);
    QFETCH(QString, summary);
    QCOMPARE(IrDecoder::summary(block), summary);
}

// Blocks of random bytes marked valid: the decoder reads them without harm
// and names a protocol only where the capture really is that protocol's key.
void TestIrProtocols::randomBlocksDecodeOnlyRealCodes()
{
    QRandomGenerator random(20240611);
    for (int n = 0; n < 1000; ++n) {
        IrBlock block;
        for (int i = 0; i < IrBlock::Size; ++i)
            block.set(i, uchar(random.bounded(256)));
        // Mostly short signals of modest lengths, as learned keys are.
        block.set(0, 'r');
        block.set(8, uchar(random.bounded(3)));
        for (int k = 0; k < 16; ++k) {
            block.set(11 + 4 * k, uchar(random.bounded(8)));
            block.set(13 + 4 * k, uchar(random.bounded(4)));
        }
        block.set(128, random.bounded(4) == 0 ? 'r' : 0);
        const IrDecode decoded = IrDecoder::decode(block);
        QVERIFY(decoded.kind != IrDecode::Kind::Empty);
        if (decoded.kind == IrDecode::Kind::Code) {
            const QString mismatch = SignalSamples::conformance(IrTiming::fromBlock(block, 0), decoded.code);
            QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
        }
    }
}

// Real keys with one symbol or one table entry changed at random: either raw,
// or a key whose timing the capture really has.
void TestIrProtocols::damagedCodesDecodeOnlyRealCodes()
{
    QRandomGenerator random(77);
    const QList<IrProtocol> protocols = allIrProtocols();
    int decoded = 0;
    int raw = 0;
    for (int n = 0; n < 1000; ++n) {
        const IrCode code = SignalSamples::randomCode(protocols[n % protocols.size()], random);
        IrBlock block = IrEncoder::block(code).value();
        const int count = block.header().symbolCount();
        if (random.bounded(2) == 0) {
            const int at = IrBlock::SymbolsOffset + random.bounded(count / 2);
            block.set(at, uchar(random.bounded(256)));
        } else {
            const int at = 11 + 4 * random.bounded(6) + 2 * random.bounded(2);
            block.set(at + 1, uchar(block.at(at + 1) + random.bounded(-40, 41)));
        }
        const IrDecode result = IrDecoder::decode(block);
        if (result.kind != IrDecode::Kind::Code) {
            ++raw;
            continue;
        }
        ++decoded;
        for (const IrTiming &timing : IrTiming::capturesOf(block)) {
            IrCode expected = result.code;
            expected.toggle = IrDecoder::decode(timing)->toggle;
            const QString mismatch = SignalSamples::conformance(timing, expected);
            QVERIFY2(mismatch.isEmpty(), qPrintable(code.text() + QStringLiteral(": ") + mismatch));
        }
    }
    QVERIFY(decoded > 100);
    QVERIFY(raw > 100);
}

QTEST_GUILESS_MAIN(TestIrProtocols)
#include "tst_irprotocols.moc"
