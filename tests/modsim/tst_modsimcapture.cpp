#include "core/device/SignalLayout.h"
#include "core/signal/IrDecoder.h"
#include "core/signal/IrBlock.h"
#include "modsim/EepromStore.h"
#include "modsim/FrameReader.h"
#include "modsim/LearnedCapture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <optional>

namespace {

struct IrSymbol
{
    int gapUs = 0;
    int burstUs = 0;
};

// One press of key as the module captures it: the first of the two presses
// of the RC5/RC6 format has the key's toggle value (0), the second the other.
QByteArray learned(const IrKey &key, bool toggle)
{
    return LearnedCapture::bytes(key, 2).value().sliced(toggle ? LearnedCapture::CaptureSize : 0,
                                                        LearnedCapture::CaptureSize);
}

// A capture as the tool reads it: header to block offset 0, data to 256, then
// symbol i is the gap and burst of its duration table entry, converted with
// the tool's integer arithmetic.
struct Decoded
{
    int carrierHz = 0;
    QList<IrSymbol> symbols;
    int repeatStart = 0;
    int repeatEnd = 0;
};

Decoded decode(const QByteArray &capture)
{
    QByteArray field(IrBlock::Size, '\0');
    field.replace(0, CaptureHeader::Size, capture.first(CaptureHeader::Size));
    field.replace(IrBlock::SymbolsOffset, 256, capture.sliced(CaptureHeader::Size, 256));
    const IrBlock block = IrBlock::fromField(field);
    const CaptureHeader header = block.header(0);

    Decoded decoded;
    const int period = header.carrierPeriod();
    decoded.carrierHz = period == 0 ? 0 : 1844000 / period;
    decoded.repeatStart = header.repeatStart();
    decoded.repeatEnd = header.repeatEnd();
    for (int i = 0; i < header.symbolCount(); ++i) {
        const IrDuration d = header.duration(block.symbol(i));
        decoded.symbols.append({d.gap * 9600 / 2212, d.burst * period * 1200 / 2212});
    }
    return decoded;
}

bool near(int actual, int expected)
{
    return std::abs(actual - expected) * 100 <= expected * 3;
}

struct KeyCode
{
    int address = -1;
    int command = -1;
    int toggle = 0;

    friend bool operator==(const KeyCode &, const KeyCode &) = default;
};

// NEC: 9 ms + 4.5 ms leader, 32 pulse-distance bits LSB first, closing burst.
std::optional<KeyCode> decodeNec(const QList<IrSymbol> &s)
{
    if (s.size() != 34 || !near(s[0].burstUs, 9000) || !near(s[1].gapUs, 4500))
        return std::nullopt;
    quint32 bits = 0;
    for (int i = 0; i < 32; ++i) {
        const IrSymbol &symbol = s[2 + i];
        if (!near(s[1 + i].burstUs, 560) || !(near(symbol.gapUs, 560) || near(symbol.gapUs, 1690)))
            return std::nullopt;
        bits |= quint32(near(symbol.gapUs, 1690)) << i;
    }
    if (!near(s[33].burstUs, 560) || (bits >> 24 & 0xFF) != (~bits >> 16 & 0xFF)
        || (bits >> 8 & 0xFF) != (~bits & 0xFF))
        return std::nullopt;
    return KeyCode{int(bits & 0xFF), int(bits >> 16 & 0xFF)};
}

// Sony: 2.4 ms header, 12 bits LSB first as 600/1200 us bursts after 600 us gaps.
std::optional<KeyCode> decodeSony(const QList<IrSymbol> &s)
{
    if (s.size() != 13 || !near(s[0].burstUs, 2400))
        return std::nullopt;
    quint32 bits = 0;
    for (int i = 0; i < 12; ++i) {
        const IrSymbol &symbol = s[1 + i];
        if (!near(symbol.gapUs, 600) || !(near(symbol.burstUs, 600) || near(symbol.burstUs, 1200)))
            return std::nullopt;
        bits |= quint32(near(symbol.burstUs, 1200)) << i;
    }
    return KeyCode{int(bits >> 7), int(bits & 0x7F)};
}

// The frame as carrier levels in units of unitUs; empty when a length is not
// a whole number of units.
std::optional<QList<bool>> halves(const QList<IrSymbol> &s, int unitUs)
{
    QList<bool> levels;
    for (const IrSymbol &symbol : s) {
        for (const auto &[us, on] : {std::pair{symbol.gapUs, false}, std::pair{symbol.burstUs, true}}) {
            const int units = (us + unitUs / 2) / unitUs;
            if (us != 0 && (units == 0 || !near(us, units * unitUs)))
                return std::nullopt;
            levels.append(QList<bool>(units, on));
        }
    }
    return levels;
}

// Manchester bits of 2 units each from position at; oneIsMarkFirst per protocol.
std::optional<quint32> biphase(const QList<bool> &levels, qsizetype at, int count, bool oneIsMarkFirst,
                               int width = 1)
{
    quint32 bits = 0;
    for (int i = 0; i < count; ++i, at += 2 * width) {
        const bool first = levels.value(at, false);
        const bool second = levels.value(at + width, false);
        if (first == second)
            return std::nullopt;
        bits = bits << 1 | quint32(first == oneIsMarkFirst);
    }
    return bits;
}

// RC5: 14 bits of 2 x 889 us, a one is space then mark; the first half of the
// first start bit is silent.
std::optional<KeyCode> decodeRc5(const QList<IrSymbol> &s)
{
    std::optional<QList<bool>> levels = halves(s, 889);
    if (!levels)
        return std::nullopt;
    levels->prepend(false);
    const std::optional<quint32> bits = biphase(*levels, 0, 14, false);
    if (!bits || levels->size() > 28 || (*bits >> 13) != 1)
        return std::nullopt;
    const int command = int(*bits & 0x3F) | ((*bits >> 12 & 1) ? 0 : 0x40);
    return KeyCode{int(*bits >> 6 & 0x1F), command, int(*bits >> 11 & 1)};
}

// RC6 mode 0: 6T burst, 2T space, start bit 1, mode 000, double-length toggle,
// 16 bits; T = 444 us, a one is mark then space.
std::optional<KeyCode> decodeRc6(const QList<IrSymbol> &s)
{
    const std::optional<QList<bool>> levels = halves(s, 444);
    if (!levels || levels->mid(0, 8) != QList<bool>{true, true, true, true, true, true, false, false})
        return std::nullopt;
    const std::optional<quint32> header = biphase(*levels, 8, 4, true);
    const std::optional<quint32> toggle = biphase(*levels, 16, 1, true, 2);
    const std::optional<quint32> code = biphase(*levels, 20, 16, true);
    if (header != 0b1000u || !toggle || !code)
        return std::nullopt;
    return KeyCode{int(*code >> 8), int(*code & 0xFF), int(*toggle)};
}

std::optional<KeyCode> decodeFrame(IrProtocol protocol, const QList<IrSymbol> &symbols)
{
    switch (protocol) {
    case IrProtocol::Sirc:
        return decodeSony(symbols);
    case IrProtocol::Rc5:
    case IrProtocol::Rc5x:
        return decodeRc5(symbols);
    case IrProtocol::Rc6:
        return decodeRc6(symbols);
    default:
        return decodeNec(symbols);
    }
}

int lengthUs(const QList<IrSymbol> &symbols)
{
    int sum = 0;
    for (const IrSymbol &s : symbols)
        sum += s.gapUs + s.burstUs;
    return sum;
}

void pushAll(FrameReader &reader, const QByteArray &bytes)
{
    for (const char byte : bytes)
        reader.push(uchar(byte));
}

QByteArray learnFrame()
{
    return QByteArray("\xE0\x01LEARN\x01\x02"
                      "000\xEF");
}

QByteArray sendFrame()
{
    return QByteArray("\xE0\x01"
                      "C\x00\x05\x0A"
                      "000\xEF",
                      10);
}

QByteArray stopFrame()
{
    return QByteArray("\xE0\x01"
                      "C\x00\xA0\xAA\x00\x00\x00\xEF",
                      10);
}

QByteArray escFrame()
{
    return QByteArray("\xE0\x00"
                      "ESC\xEF",
                      6);
}

} // namespace

Q_DECLARE_METATYPE(KeyCode)

class TestModuleSimulatorCapture : public QObject
{
    Q_OBJECT

private slots:
    void keyDecodesToProtocolTiming_data();
    void keyDecodesToProtocolTiming();
    void necRepeatCode();
    void learnedKeyDecodesToItsCode_data();
    void learnedKeyDecodesToItsCode();
    void outOfRangeKeyGivesNoCapture();
    void protocolNames();

    void frameReader_data();
    void frameReader();
    void frameFields();

    void eepromFileCreatedErased();
    void eepromFileOfWrongSizeRefused();
    void eepromSlotWritesThrough();
};

void TestModuleSimulatorCapture::keyDecodesToProtocolTiming_data()
{
    QTest::addColumn<IrProtocol>("protocol");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("toggle");
    QTest::addColumn<int>("carrierHz");
    QTest::addColumn<int>("periodUs");
    QTest::addColumn<KeyCode>("expected");

    QTest::newRow("NEC") << IrProtocol::Nec << 0x04 << 0x08 << false << 38000 << 108000
                         << KeyCode{0x04, 0x08};
    QTest::newRow("NEC all ones") << IrProtocol::Nec << 0xFF << 0xFF << false << 38000 << 108000
                                  << KeyCode{0xFF, 0xFF};
    QTest::newRow("Sony") << IrProtocol::Sirc << 0x01 << 0x15 << false << 40000 << 45000
                          << KeyCode{0x01, 0x15};
    QTest::newRow("Sony all ones") << IrProtocol::Sirc << 0x1F << 0x7F << false << 40000 << 45000
                                   << KeyCode{0x1F, 0x7F};
    QTest::newRow("RC5") << IrProtocol::Rc5 << 0x05 << 0x35 << false << 36000 << 113792
                         << KeyCode{0x05, 0x35, 0};
    QTest::newRow("RC5 toggled") << IrProtocol::Rc5 << 0x05 << 0x35 << true << 36000 << 113792
                                 << KeyCode{0x05, 0x35, 1};
    QTest::newRow("RC5 extended command")
        << IrProtocol::Rc5x << 0x1F << 0x7F << true << 36000 << 113792 << KeyCode{0x1F, 0x7F, 1};
    QTest::newRow("RC6") << IrProtocol::Rc6 << 0x00 << 0x0C << false << 36000 << 106560
                         << KeyCode{0x00, 0x0C, 0};
    QTest::newRow("RC6 toggled") << IrProtocol::Rc6 << 0xA5 << 0x5A << true << 36000 << 106560
                                 << KeyCode{0xA5, 0x5A, 1};
}

void TestModuleSimulatorCapture::keyDecodesToProtocolTiming()
{
    QFETCH(IrProtocol, protocol);
    QFETCH(int, address);
    QFETCH(int, command);
    QFETCH(bool, toggle);
    QFETCH(int, carrierHz);
    QFETCH(int, periodUs);
    QFETCH(KeyCode, expected);

    const QByteArray capture = learned({protocol, quint32(address), quint32(command)}, toggle);
    QCOMPARE(capture.size(), 331);
    QCOMPARE(capture.at(0), 'r');
    const Decoded decoded = decode(capture);
    QVERIFY2(near(decoded.carrierHz, carrierHz), qPrintable(QString::number(decoded.carrierHz)));

    const QList<IrSymbol> frame = decoded.symbols.first(decoded.repeatStart);
    QCOMPARE(frame.first().gapUs, 0);
    QCOMPARE(decodeFrame(protocol, frame), std::optional<KeyCode>(expected));

    // A held key: the repeated part starts one repeat period after the frame.
    QCOMPARE(decoded.repeatEnd, int(decoded.symbols.size()));
    const QList<IrSymbol> repeat = decoded.symbols.sliced(decoded.repeatStart);
    QVERIFY(near(lengthUs(frame) + repeat.first().gapUs, periodUs));
    if (protocol != IrProtocol::Nec) {
        QList<IrSymbol> again = repeat;
        again.first().gapUs = 0;
        QCOMPARE(decodeFrame(protocol, again), std::optional<KeyCode>(expected));
    }
}

void TestModuleSimulatorCapture::necRepeatCode()
{
    const Decoded decoded = decode(learned({}, false));
    QCOMPARE(decoded.repeatStart, 34);
    QCOMPARE(decoded.repeatEnd, 36);
    QCOMPARE(decoded.symbols.size(), 36);
    QVERIFY(near(decoded.symbols[34].burstUs, 9000));
    QVERIFY(near(decoded.symbols[35].gapUs, 2250));
    QVERIFY(near(decoded.symbols[35].burstUs, 560));
}

void TestModuleSimulatorCapture::learnedKeyDecodesToItsCode_data()
{
    QTest::addColumn<IrKey>("key");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("summary");

    using P = IrProtocol;
    QTest::newRow("NEC") << IrKey{P::Nec, 0x04, 0x08} << 1 << "NEC 0x04 0x08";
    QTest::newRow("NEC, long address") << IrKey{P::Nec, 0x1234, 0x08} << 1 << "NECext 0x1234 0x08";
    QTest::newRow("NECext") << IrKey{P::NecExt, 0xBEEF, 0x7E} << 1 << "NECext 0xBEEF 0x7E";
    QTest::newRow("NEC42") << IrKey{P::Nec42, 0x1001, 0x80} << 1 << "NEC42 0x1001 0x80";
    QTest::newRow("NEC42, long address") << IrKey{P::Nec42, 0x2ABCDEF, 0x01} << 1 << "NEC42ext 0x2ABCDEF 0x01";
    QTest::newRow("Samsung32") << IrKey{P::Samsung32, 0x07, 0x99} << 1 << "Samsung32 0x07 0x99";
    QTest::newRow("SIRC") << IrKey{P::Sirc, 0x01, 0x15} << 1 << "SIRC 0x01 0x15";
    QTest::newRow("SIRC15") << IrKey{P::Sirc15, 0xA4, 0x33} << 1 << "SIRC15 0xA4 0x33";
    QTest::newRow("SIRC20") << IrKey{P::Sirc20, 0x1F3A, 0x7F} << 1 << "SIRC20 0x1F3A 0x7F";
    QTest::newRow("RC5, Normal") << IrKey{P::Rc5, 0x05, 0x35} << 1 << "RC5 0x05 0x35 T0";
    QTest::newRow("RC5, RC5/RC6 format") << IrKey{P::Rc5, 0x00, 0x0C} << 2 << "RC5 0x00 0x0C";
    QTest::newRow("RC5X") << IrKey{P::Rc5x, 0x1F, 0x7F} << 2 << "RC5X 0x1F 0x7F";
    QTest::newRow("RC6") << IrKey{P::Rc6, 0xA5, 0x5A} << 2 << "RC6 0xA5 0x5A";
    QTest::newRow("RC6, Normal") << IrKey{P::Rc6, 0x00, 0x0C} << 1 << "RC6 0x00 0x0C T0";
    QTest::newRow("JVC") << IrKey{P::Jvc, 0xC3, 0x3C} << 1 << "JVC 0xC3 0x3C";
    QTest::newRow("Kaseikyo") << IrKey{P::Kaseikyo, 0x2002080, 0x03D} << 1 << "Kaseikyo 0x2002080 0x03D";
    QTest::newRow("Sharp") << IrKey{P::Sharp, 0x11, 0xE0} << 1 << "Sharp 0x11 0xE0";
    QTest::newRow("Denon") << IrKey{P::Denon, 0x02, 0x4F} << 1 << "Denon 0x02 0x4F";
    QTest::newRow("RCA") << IrKey{P::Rca, 0x0A, 0xF0} << 1 << "RCA 0x0A 0xF0";
    QTest::newRow("NEC, RC5/RC6 format") << IrKey{P::Nec, 0x40, 0x41} << 2 << "NEC 0x40 0x41";
}

// What the program stores from a learned key decodes to the key's code.
void TestModuleSimulatorCapture::learnedKeyDecodesToItsCode()
{
    QFETCH(IrKey, key);
    QFETCH(int, format);
    QFETCH(QString, summary);
    const IrResult<QByteArray> capture = LearnedCapture::bytes(key, format);
    QVERIFY2(capture.isOk(), qPrintable(capture.error()));
    QCOMPARE(capture.value().size(), SignalLayout::captureSize(quint8(format)));
    const IrBlock block = SignalLayout::blockFromCapture(capture.value(), quint8(format), QByteArrayLiteral("Key"));
    const IrDecode decoded = IrDecoder::decode(block);
    QCOMPARE(decoded.kind, IrDecode::Kind::Code);
    QCOMPARE(decoded.code.address, key.address);
    QCOMPARE(decoded.code.command, key.command);
    QCOMPARE(decoded.summary(), summary);
}

void TestModuleSimulatorCapture::outOfRangeKeyGivesNoCapture()
{
    const IrResult<QByteArray> capture = LearnedCapture::bytes({IrProtocol::Sirc, 0x20, 0x01}, 1);
    QVERIFY(!capture.isOk());
    QCOMPARE(capture.error(), QStringLiteral("SIRC address 0x20 is out of range 0x00..0x1F"));
}

void TestModuleSimulatorCapture::protocolNames()
{
    for (const IrProtocol protocol : allIrProtocols())
        QCOMPARE(keyProtocolFromName(irProtocolName(protocol).toLower()), std::optional(protocol));
    QCOMPARE(keyProtocolFromName(u"Sony"), std::optional(IrProtocol::Sirc));
    QCOMPARE(keyProtocolFromName(u"RC5"), std::optional(IrProtocol::Rc5));
    QCOMPARE(keyProtocolFromName(u"nokia"), std::nullopt);
}

void TestModuleSimulatorCapture::frameReader_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QList<FrameKind>>("kinds");
    QTest::addColumn<int>("discarded");

    QTest::newRow("every kind") << learnFrame() + escFrame() + sendFrame() + stopFrame()
                                       + QByteArray("\xE0\x01"
                                                    "DOWNLOADALL\xEF")
                                       + QByteArray("\xE0\x01"
                                                    "UPLOADALL\xEF")
                                << QList{FrameKind::Learn, FrameKind::Escape,      FrameKind::Send,
                                         FrameKind::Stop,  FrameKind::DownloadAll, FrameKind::UploadAll}
                                << 0;
    QTest::newRow("noise first") << QByteArray("\x00\x41zz", 4) + escFrame() << QList{FrameKind::Escape} << 4;
    QTest::newRow("cut short by the next frame")
        << learnFrame().first(5) + learnFrame() << QList{FrameKind::Learn} << 5;
    QTest::newRow("bad end byte") << sendFrame().first(9) + "X" + stopFrame() << QList{FrameKind::Stop} << 10;
    QTest::newRow("unknown command") << QByteArray("\xE0\x00Q", 3) + escFrame() << QList{FrameKind::Escape}
                                     << 3;
    QTest::newRow("frame inside a broken one") << QByteArray("\xE0\x00"
                                                             "C",
                                                             3)
                                                      + escFrame() + "x"
                                               << QList{FrameKind::Escape} << 4;
}

void TestModuleSimulatorCapture::frameReader()
{
    QFETCH(QByteArray, stream);
    QFETCH(QList<FrameKind>, kinds);
    QFETCH(int, discarded);

    FrameReader reader;
    pushAll(reader, stream);
    QList<FrameKind> found;
    while (const std::optional<ModuleFrame> frame = reader.takeFrame())
        found.append(frame->kind());
    QCOMPARE(found, kinds);
    QCOMPARE(reader.takeDiscarded(), discarded);
    QCOMPARE(reader.takeDiscarded(), 0);
}

void TestModuleSimulatorCapture::frameFields()
{
    FrameReader reader;
    pushAll(reader, learnFrame() + sendFrame());
    const std::optional<ModuleFrame> learn = reader.takeFrame();
    const std::optional<ModuleFrame> send = reader.takeFrame();
    QVERIFY(learn && send);
    QCOMPARE(learn->bytes(), learnFrame());
    QCOMPARE(learn->moduleId(), 1);
    QCOMPARE(learn->learnTime(), 1);
    QCOMPARE(learn->irFormat(), 2);
    QCOMPARE(send->portMask(), quint8(0xA5));
    QCOMPARE(send->describe(), QStringLiteral("SEND id 1 ports 0xa5"));
}

void TestModuleSimulatorCapture::eepromFileCreatedErased()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("eeprom.bin"));
    EepromStore store;
    QVERIFY2(store.useFile(path), qPrintable(store.errorString()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray(EepromStore::Size, '\xFF'));
    QCOMPARE(store.image(), QByteArray(EepromStore::Size, '\xFF'));
}

void TestModuleSimulatorCapture::eepromFileOfWrongSizeRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("short.bin"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("abc");
    }
    EepromStore store;
    QVERIFY(store.setSlot(0, QByteArray(512, 'm')));
    QVERIFY(!store.useFile(path));
    QVERIFY(store.errorString().contains(QStringLiteral("262144")));
    QCOMPARE(store.slot(0), QByteArray(512, 'm'));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("abc"));
}

void TestModuleSimulatorCapture::eepromSlotWritesThrough()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("eeprom.bin"));
    EepromStore store;
    QVERIFY(store.useFile(path));
    QVERIFY(store.setSlot(511, QByteArray(300, 's')));
    QVERIFY(!store.setSlot(512, QByteArray(512, 'x')));
    QVERIFY(store.slot(-1).isEmpty());

    const QByteArray expected = QByteArray(300, 's') + QByteArray(212, '\xFF');
    QCOMPARE(store.slot(511), expected);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray image = file.readAll();
    QCOMPARE(image.size(), EepromStore::Size);
    QCOMPARE(image.sliced(511 * 512), expected);
    QCOMPARE(image.first(511 * 512), QByteArray(511 * 512, '\xFF'));

    EepromStore reopened;
    QVERIFY(reopened.useFile(path));
    QCOMPARE(reopened.slot(511), expected);
}

QTEST_GUILESS_MAIN(TestModuleSimulatorCapture)
#include "tst_modsimcapture.moc"
