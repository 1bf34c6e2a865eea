#include "core/formats/CodeFormat.h"
#include "core/formats/CodeImport.h"

#include <QRandomGenerator>

#include <QTest>

Q_DECLARE_METATYPE(CodeFormat)
Q_DECLARE_METATYPE(std::optional<CodeFormat>)

namespace {

// A NEC-like learned code: leader, four bits, stop mark.
const QByteArray ProntoCode = "0000 006D 0006 0000 0157 00AC 0015 0015 0015 0040 0015 0015 0015 0040 0015 0689";

const QByteArray FlipperHeader = "Filetype: IR signals file\nVersion: 1\n";

const QByteArray LircRemote = "begin remote\n"
                              "  name  tv\n"
                              "  flags RAW_CODES\n"
                              "  frequency 36000\n"
                              "  begin raw_codes\n"
                              "    name KEY_POWER\n"
                              "      900 900 1800 900\n"
                              "      900\n"
                              "  end raw_codes\n"
                              "end remote\n";

QStringList namesOf(const CodeFile &file)
{
    QStringList names;
    for (const CodedKey &key : file.keys)
        names.append(key.name);
    return names;
}

} // namespace

class TestFormatReading : public QObject
{
    Q_OBJECT

private slots:
    void realWorldFilesRead_data();
    void realWorldFilesRead();
    void malformedFilesGiveLineNumberedErrors_data();
    void malformedFilesGiveLineNumberedErrors();
    void keysThatCannotBeBuiltAreRefusedWithTheirLine_data();
    void keysThatCannotBeBuiltAreRefusedWithTheirLine();
    void contentTellsTheFormat_data();
    void contentTellsTheFormat();
    void remarksAndNotesComeFromComments();
    void mode2SkipsSilencesAndJoinsNeighbours();
    void flipperParsedSignalIsACode();
    void csvTakesQuotedCellsAndEitherSeparator();
    void damagedFilesNeverBreakTheReaders_data();
    void damagedFilesNeverBreakTheReaders();
};

void TestFormatReading::realWorldFilesRead_data()
{
    QTest::addColumn<CodeFormat>("format");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("pronto: BOM, CRLF, comments, lower-case hex") << CodeFormat::Pronto
                                                                 << "\xEF\xBB\xBF# Codes of my TV\r\n\r\nPower\r\n"
            + ProntoCode.toLower() + "\r\n\r\n# mute it\r\nMute\r\n" + ProntoCode
            + "\r\n" << QStringList{QStringLiteral("Power"), QStringLiteral("Mute")};
    QTest::newRow("pronto: name on the code's line, code over lines, no name") << CodeFormat::Pronto
                                                                               << "Volume up: " + ProntoCode
            + "\nVolume down\n0000 006D 0006 0000\n" + ProntoCode.mid(20) + "\n" + ProntoCode
            + "\n" << QStringList{QStringLiteral("Volume up"), QStringLiteral("Volume down"), QString()};
    QTest::newRow("pronto: one word per line, CR only")
        << CodeFormat::Pronto << "Power\r" + QByteArray(ProntoCode).replace(' ', '\r') + "\r"
        << QStringList{QStringLiteral("Power")};
    QTest::newRow("pronto: a name that looks like a word") << CodeFormat::Pronto << "FADE:\n" + ProntoCode + "\n"
                                                           << QStringList{QStringLiteral("FADE")};

    QTest::newRow("flipper: BOM, CRLF, comments, unknown keys, lower-case bytes")
        << CodeFormat::Flipper
        << QByteArray("\xEF\xBB\xBF"
                      "Filetype: IR signals file\r\nVersion: 1\r\n# Model: TV-1\r\n#\r\n"
                      "name: Power\r\ntype: parsed\r\nprotocol: NEC\r\naddress: 04 00 00 00\r\ncommand: 0a 00 00 00\r\n"
                      "repeat: 3\r\n#\r\nname: Raw one\r\ntype: raw\r\nfrequency: 38000\r\nduty_cycle: 0.330000\r\n"
                      "data: 9000 4500 560 560 560\r\nlabel: extra\r\n")
        << QStringList{QStringLiteral("Power"), QStringLiteral("Raw one")};
    QTest::newRow("flipper: library file, no separators, blank lines")
        << CodeFormat::Flipper
        << QByteArray("Filetype: IR library file\nVersion: 1\n\nname: POWER\ntype: parsed\nprotocol: Samsung32\n"
                      "address: 07 00 00 00\ncommand: 02 00 00 00\n\nname: MUTE\ntype: parsed\nprotocol: SIRC\n"
                      "address: 01 00 00 00\ncommand: 14 00 00 00\n")
        << QStringList{QStringLiteral("POWER"), QStringLiteral("MUTE")};

    QTest::newRow("lirc: several remotes, comments, CRLF")
        << CodeFormat::Lirc
        << QByteArray("#\r\n# this config file was written by hand\r\n#\r\n") + LircRemote
            + "\r\n# second remote\r\nbegin remote\r\n  name amp\r\n  flags RAW_CODES|CONST_LENGTH\r\n  eps 30\r\n"
              "  begin raw_codes\r\n    name VOL+\r\n  500 500 500\r\n    name VOL-\r\n  600 600 600 600 600\r\n"
              "  end raw_codes\r\nend remote\r\n"
        << QStringList{QStringLiteral("KEY_POWER"), QStringLiteral("VOL+"), QStringLiteral("VOL-")};

    QTest::newRow("mode2: messages before the pulses")
        << CodeFormat::Mode2
        << QByteArray("Using driver devinput on device /dev/input/event5\nTrying device: /dev/input/event5\n"
                      "space 16777215\npulse 9000\nspace 4500\npulse 560\ntimeout 125000\n")
        << QStringList{QString()};

    QTest::newRow("csv: semicolons, header in any case and order")
        << CodeFormat::Csv
        << QByteArray("pronto hex;FUNCTION;id\n" + ProntoCode + ";Power;1\n;;\n" + ProntoCode + ";Mute;2\n")
        << QStringList{QStringLiteral("Power"), QStringLiteral("Mute")};
}

void TestFormatReading::realWorldFilesRead()
{
    QFETCH(CodeFormat, format);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    const IrResult<CodeFile> read = readCodes(format, bytes);
    QVERIFY2(read.isOk(), qPrintable(read.error()));
    QVERIFY(read.value().refused.isEmpty());
    QCOMPARE(namesOf(read.value()), names);
}

void TestFormatReading::malformedFilesGiveLineNumberedErrors_data()
{
    QTest::addColumn<CodeFormat>("format");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");

    QTest::newRow("pronto: not a hex word")
        << CodeFormat::Pronto << QByteArray("Power\n0000 006D 0001 0000\n0157 00G1\n")
        << QStringLiteral("line 3: '00G1' is not a Pronto word (four hex digits)");
    QTest::newRow("pronto: more words than the counts")
        << CodeFormat::Pronto << QByteArray("0000 006D 0001 0000 0157 00AC 0015\n")
        << QStringLiteral("line 1: the code from line 1 has more words than its pair counts call for (6)");
    QTest::newRow("pronto: cut short by a name")
        << CodeFormat::Pronto << QByteArray("0000 006D 0002 0000 0157 00AC\nMute\n")
        << QStringLiteral("line 2: the code from line 1: it ends after 6 words; its pair counts call for 8");
    QTest::newRow("pronto: cut short by the end")
        << CodeFormat::Pronto << QByteArray("Power\n0000 006D 0002 0000 0157")
        << QStringLiteral(
               "the file ends inside the code from line 2: it ends after 5 words; its pair counts call for 8");
    QTest::newRow("pronto: no code") << CodeFormat::Pronto << QByteArray("just\nsome text\n")
                                     << QStringLiteral("the file holds no Pronto Hex code");
    QTest::newRow("pronto: malformed note")
        << CodeFormat::Pronto << "# ZOQ timing: lead-in many us\n" + ProntoCode
        << QStringLiteral("line 1: 'lead-in many us' is not a timing item (second capture, lead-in N us, repeat A-B)");

    QTest::newRow("flipper: another file type")
        << CodeFormat::Flipper << QByteArray("Filetype: Flipper SubGhz Key File\nVersion: 1\n")
        << QStringLiteral("line 1: not a Flipper IR file: it does not start with 'Filetype: IR signals file'");
    QTest::newRow("flipper: unknown version")
        << CodeFormat::Flipper << QByteArray("Filetype: IR signals file\nVersion: 2\n")
        << QStringLiteral("line 2: version 2 of the IR file format is not known (1 is)");
    QTest::newRow("flipper: malformed address")
        << CodeFormat::Flipper
        << FlipperHeader + "#\nname: Power\ntype: parsed\nprotocol: NEC\naddress: 04 00 00\ncommand: 08 00 00 00\n"
        << QStringLiteral("line 7: address '04 00 00' is not four hex bytes");
    QTest::newRow("flipper: cut short")
        << CodeFormat::Flipper << FlipperHeader + "#\nname: Power\ntype: parsed\nprotocol: NEC\naddress: 04 00 00 00\n"
        << QStringLiteral("line 4: signal 'Power' has no 'command' (the file may be cut short)");
    QTest::newRow("flipper: bad duration")
        << CodeFormat::Flipper
        << FlipperHeader + "name: A\ntype: raw\nfrequency: 38000\nduty_cycle: 0.33\ndata: 9000 4500 56O\n"
        << QStringLiteral("line 7: data '9000 4500 56O' is not a list of durations in microseconds");
    QTest::newRow("flipper: duty cycle above 1")
        << CodeFormat::Flipper << FlipperHeader + "name: A\ntype: raw\nfrequency: 38000\nduty_cycle: 1.5\ndata: 9000\n"
        << QStringLiteral("line 6: duty_cycle '1.5' is not a number above 0 and at most 1");
    QTest::newRow("flipper: a line without a colon")
        << CodeFormat::Flipper << FlipperHeader + "name: A\ntype parsed\n"
        << QStringLiteral("line 4: 'type parsed' is not a 'key: value' line");

    QTest::newRow("lirc: raw code ending on a space")
        << CodeFormat::Lirc
        << QByteArray("begin remote\nname tv\nbegin raw_codes\nname A\n900 900\nend raw_codes\nend remote\n")
        << QStringLiteral("line 6: key 'A' (line 4) ends on a space; a raw code ends on a pulse");
    QTest::newRow("lirc: malformed duration")
        << CodeFormat::Lirc << QByteArray("begin remote\nbegin raw_codes\nname A\n900 9x0 900\n")
        << QStringLiteral("line 4: '9x0' is not a duration in microseconds");
    QTest::newRow("lirc: cut short") << CodeFormat::Lirc << LircRemote.left(LircRemote.indexOf("  end raw_codes"))
                                     << QStringLiteral("line 1: the file ends inside remote 'tv' (no 'end remote')");
    QTest::newRow("lirc: durations before a name")
        << CodeFormat::Lirc << QByteArray("begin remote\nbegin raw_codes\n900 900 900\n")
        << QStringLiteral("line 3: durations before any 'name'");
    QTest::newRow("lirc: not a remote") << CodeFormat::Lirc << QByteArray("hello\n")
                                        << QStringLiteral("line 1: 'hello' stands where 'begin remote' belongs");

    QTest::newRow("mode2: malformed number")
        << CodeFormat::Mode2 << QByteArray("pulse 900\nspace 4x0\n") << QStringLiteral("line 2: '4x0' is not a number");
    QTest::newRow("mode2: stray line in the pulses")
        << CodeFormat::Mode2 << QByteArray("pulse 900\nspace 400\nhello there\n")
        << QStringLiteral("line 3: 'hello there' is not a pulse, space, carrier or timeout line");

    QTest::newRow("csv: malformed address")
        << CodeFormat::Csv << QByteArray("Function,Protocol,Address,Command\nPower,NEC,0x1G,8\n")
        << QStringLiteral("line 2: address '0x1G' is not a number (decimal or 0x hex)");
    QTest::newRow("csv: quote not closed")
        << CodeFormat::Csv << QByteArray("Function,Protocol,Address,Command\n\"Power,NEC,4,8\n")
        << QStringLiteral("line 2: a quoted cell is not closed");
    QTest::newRow("csv: odd Pronto code")
        << CodeFormat::Csv << QByteArray("Function,Pronto Hex\nPower,0000 006D 0001 0000 0157\n")
        << QStringLiteral("line 2: pronto hex: the code has 5 words; its pair counts call for 6");
    QTest::newRow("csv: no code column")
        << CodeFormat::Csv << QByteArray("a,b,c\n1,2,3\n")
        << QStringLiteral("line 1: the header names neither a 'Pronto Hex' nor a 'Protocol' column");
}

void TestFormatReading::malformedFilesGiveLineNumberedErrors()
{
    QFETCH(CodeFormat, format);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    const IrResult<CodeFile> read = readCodes(format, bytes);
    QVERIFY(!read.isOk());
    QCOMPARE(read.error(), error);
}

void TestFormatReading::keysThatCannotBeBuiltAreRefusedWithTheirLine_data()
{
    QTest::addColumn<CodeFormat>("format");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("flipper: a protocol ZOQ does not build")
        << CodeFormat::Flipper
        << FlipperHeader
            + "name: A\ntype: parsed\nprotocol: Pioneer\naddress: 01 00 00 00\ncommand: 02 00 00 00\n"
              "name: B\ntype: parsed\nprotocol: NEC\naddress: 01 00 00 00\ncommand: 02 00 00 00\n"
        << QStringList{QStringLiteral("B")} << QStringLiteral("line 3 'A': protocol 'Pioneer' is not one ZOQ builds");
    QTest::newRow("flipper: a carrier the module cannot make")
        << CodeFormat::Flipper
        << FlipperHeader + "name: A\ntype: raw\nfrequency: 1000\nduty_cycle: 0.33\ndata: 900 900 900\n"
        << QStringList()
        << QStringLiteral(
               "line 3 'A': carrier of 1000 Hz needs a period of 1844 clock ticks; the module counts at most "
               "255 (1589 too many)");
    QTest::newRow("pronto: a kind that is not read")
        << CodeFormat::Pronto << QByteArray("Power\n900A 006D 0000 0001 0001 0002\n" + ProntoCode + "\n")
        << QStringList{QString()}
        << QStringLiteral("line 2 'Power': Pronto codes of kind 900A are not read (0000, 0100, 5000 and 6000 are)");
    QTest::newRow("pronto: a second capture with no first")
        << CodeFormat::Pronto << "# ZOQ timing: second capture\n" + ProntoCode + "\n"
        << QStringList() << QStringLiteral("line 2: a second capture follows no key of one capture");
    QTest::newRow("lirc: a remote described by protocol")
        << CodeFormat::Lirc
        << QByteArray("begin remote\n name nec\n bits 16\n begin codes\n  KEY_1 0x807F\n end codes\nend remote\n")
            + LircRemote
        << QStringList{QStringLiteral("KEY_POWER")}
        << QStringLiteral(
               "line 5 'KEY_1': remote 'nec' describes its keys by protocol ('begin codes'); only raw codes are read");
    QTest::newRow("csv: address out of range")
        << CodeFormat::Csv << QByteArray("Function,Protocol,Address,Command\nA,NEC,300,8\nB,NEC,3,8\n")
        << QStringList{QStringLiteral("B")}
        << QStringLiteral("line 2 'A': NEC address 0x12C is out of range 0x00..0xFF");
}

void TestFormatReading::keysThatCannotBeBuiltAreRefusedWithTheirLine()
{
    QFETCH(CodeFormat, format);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    QFETCH(QString, refusal);
    const IrResult<CodeFile> read = readCodes(format, bytes);
    QVERIFY2(read.isOk(), qPrintable(read.error()));
    QCOMPARE(namesOf(read.value()), names);
    QCOMPARE(read.value().refused.size(), 1);
    QCOMPARE(read.value().refused.first().text(), refusal);
}

void TestFormatReading::contentTellsTheFormat_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<std::optional<CodeFormat>>("format");
    QTest::newRow("pronto") << "Power\n" + ProntoCode << std::optional(CodeFormat::Pronto);
    QTest::newRow("flipper after a comment") << "# mine\n" + FlipperHeader << std::optional(CodeFormat::Flipper);
    QTest::newRow("lirc after comments") << "# remote\n#\n" + LircRemote << std::optional(CodeFormat::Lirc);
    QTest::newRow("mode2") << QByteArray("Using driver default\nspace 1000\npulse 900\n")
                           << std::optional(CodeFormat::Mode2);
    QTest::newRow("csv") << QByteArray("ID,Function,\"Pronto Hex\"\n") << std::optional(CodeFormat::Csv);
    QTest::newRow("csv with semicolons") << QByteArray("Function;Protocol;Address;Command\n")
                                         << std::optional(CodeFormat::Csv);
    QTest::newRow("text") << QByteArray("Dear reader,\nthis is a letter.\n") << std::optional<CodeFormat>();
    QTest::newRow("bytes") << QByteArray("\x00\x01\xFF\xFE\x80", 5) << std::optional<CodeFormat>();
    QTest::newRow("empty") << QByteArray() << std::optional<CodeFormat>();
}

void TestFormatReading::contentTellsTheFormat()
{
    QFETCH(QByteArray, bytes);
    QFETCH(std::optional<CodeFormat>, format);
    QCOMPARE(recogniseCodeFormat(bytes), format);
}

void TestFormatReading::remarksAndNotesComeFromComments()
{
    const QByteArray text = "# first line of the remark\n# and its second\n# ZOQ timing: lead-in 1200 us, repeat 1-3\n"
                            "Power\n"
        + ProntoCode + "\n";
    const IrResult<CodeFile> read = readCodes(CodeFormat::Pronto, text);
    QVERIFY2(read.isOk(), qPrintable(read.error()));
    const CodedKey &key = read.value().keys.first();
    QCOMPARE(key.remark, QStringLiteral("first line of the remark and its second"));
    QCOMPARE(key.line, 5);
    const IrTiming &capture = key.captures.first();
    QCOMPARE(capture.repeatStart(), 1);
    QCOMPARE(capture.repeatEnd(), 3);
    QCOMPARE(capture.leadInMicros(), 1202); // 277 gap ticks
}

void TestFormatReading::mode2SkipsSilencesAndJoinsNeighbours()
{
    const IrResult<CodeFile> read =
        readCodes(CodeFormat::Mode2,
                  "carrier 36000\nspace 50000\npulse 400\npulse 500\nspace 300\ntimeout 200\n"
                  "pulse 900\nspace 100000\n");
    QVERIFY2(read.isOk(), qPrintable(read.error()));
    const IrTiming &capture = read.value().keys.first().captures.first();
    QCOMPARE(capture.carrierHz(), 36156); // a period of 51 clock ticks
    QCOMPARE(capture.leadInMicros(), 0);
    QCOMPARE(capture.size(), 2);
    QCOMPARE(capture.pulses().first().spaceUs, 499);
}

void TestFormatReading::flipperParsedSignalIsACode()
{
    const IrResult<CodeFile> read = readCodes(
        CodeFormat::Flipper,
        FlipperHeader + "name: Vol\ntype: parsed\nprotocol: NECext\naddress: EE 87 00 00\ncommand: 5D A2 00 00\n");
    QVERIFY2(read.isOk(), qPrintable(read.error()));
    const CodedKey &key = read.value().keys.first();
    QVERIFY(key.captures.isEmpty());
    QVERIFY(key.code);
    QCOMPARE(key.code->text(), QStringLiteral("NECext 0x87EE 0x5D"));
}

void TestFormatReading::csvTakesQuotedCellsAndEitherSeparator()
{
    const QByteArray text = "Function,Remark,Protocol,Address,Command,Toggle\n"
                            "\"Vol, up\",\"says \"\"louder\"\"\nin two lines\",RC5,5,12,1\n"
                            "Mute,'-3 dB,RC6,0x10,0x0D,\n";
    const IrResult<CodeFile> read = readCodes(CodeFormat::Csv, text);
    QVERIFY2(read.isOk(), qPrintable(read.error()));
    QCOMPARE(read.value().keys.size(), 2);
    const CodedKey &first = read.value().keys.at(0);
    QCOMPARE(first.name, QStringLiteral("Vol, up"));
    QCOMPARE(first.remark, QStringLiteral("says \"louder\"\nin two lines"));
    QCOMPARE(first.code->text(), QStringLiteral("RC5 0x05 0x0C"));
    QVERIFY(first.code->toggle);
    const CodedKey &second = read.value().keys.at(1);
    QCOMPARE(second.line, 4);
    QCOMPARE(second.remark, QStringLiteral("-3 dB"));
    QCOMPARE(second.code->text(), QStringLiteral("RC6 0x10 0x0D"));
}

void TestFormatReading::damagedFilesNeverBreakTheReaders_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray flipper = FlipperHeader
        + "#\n# ZOQ timing: lead-in 100 us\nname: A\ntype: raw\nfrequency: 38000\n"
          "duty_cycle: 0.33\ndata: 900 450 560 560 560\n#\nname: B\ntype: parsed\n"
          "protocol: Kaseikyo\naddress: 80 02 20 00\ncommand: D0 03 00 00\n";
    QTest::newRow("pronto") << "# ZOQ timing: repeat 1-3\nPower\n" + ProntoCode + "\n# ZOQ timing: second capture\n"
            + ProntoCode + "\n5000 0073 0000 0001 0005 000C\n";
    QTest::newRow("flipper") << flipper;
    QTest::newRow("lirc") << LircRemote;
    QTest::newRow("mode2") << QByteArray(
        "carrier 38000\npulse 900\nspace 450\npulse 560\n# ZOQ timing: second capture\n"
        "pulse 900\nspace 450\npulse 560\n");
    QTest::newRow("csv") << QByteArray("Function,Protocol,Address,Command,Pronto Hex,Timing\nA,NEC,4,8,\"" + ProntoCode
                                       + "\",lead-in 20 us\nB,RC6,1,2,,\n");
}

// Every reader, given damaged bytes, reads them or refuses them; what it
// reads goes through the block writer or is refused. Nothing else happens.
void TestFormatReading::damagedFilesNeverBreakTheReaders()
{
    QFETCH(QByteArray, bytes);
    QRandomGenerator random(quint32(qHash(QTest::currentDataTag())));
    const QByteArray alphabet = "0123456789ABCDEFabcdef #:,\"\n\r-\x00\xFF";
    for (int run = 0; run < 400; ++run) {
        QByteArray damaged = bytes;
        for (int edits = random.bounded(1, 6); edits > 0 && !damaged.isEmpty(); --edits) {
            const int at = random.bounded(int(damaged.size()));
            switch (random.bounded(4)) {
            case 0:
                damaged[at] = alphabet.at(random.bounded(int(alphabet.size())));
                break;
            case 1:
                damaged.remove(at, random.bounded(1, 8));
                break;
            case 2:
                damaged.insert(at, alphabet.at(random.bounded(int(alphabet.size()))));
                break;
            default:
                damaged.truncate(at);
                break;
            }
        }
        for (const CodeFormat format : allCodeFormats()) {
            const IrResult<CodeFile> read = readCodes(format, damaged);
            if (!read.isOk()) {
                QVERIFY(!read.error().isEmpty());
                continue;
            }
            for (const CodedKey &key : read.value().keys)
                (void)CodeImport::blockFor(key);
        }
        (void)recogniseCodeFormat(damaged);
    }
}

QTEST_GUILESS_MAIN(TestFormatReading)
#include "tst_formatreading.moc"
