#include "CliFixture.h"

#include "cli/CliCommand.h"
#include "core/common/NumberText.h"
#include "core/document/CodeTable.h"
#include "core/document/DerivePostedRow.h"
#include "core/document/Document.h"
#include "core/document/DocumentStore.h"
#include "core/formats/CodeExport.h"
#include "core/formats/CodeImport.h"
#include "core/image/CompiledImage.h"
#include "core/image/EepromImage.h"
#include "core/signal/IrDecoder.h"
#include "core/signal/IrEncoder.h"
#include "support/ScriptedPrompt.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QTest>

#include <csignal>

namespace {

QStringList args(std::initializer_list<const char *> words)
{
    QStringList list;
    for (const char *word : words)
        list.append(QString::fromUtf8(word));
    return list;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

IrBlock blockOf(IrProtocol protocol, quint32 address, quint32 command, const QByteArray &name = {})
{
    IrCode code;
    code.protocol = protocol;
    code.address = address;
    code.command = command;
    IrBlock block = IrEncoder::block(code).value();
    block.setNameBytes(name);
    return block;
}

// A NEC block broken in its middle: no decoder takes it.
IrBlock rawBlock()
{
    IrBlock block = blockOf(IrProtocol::Nec, 0x04, 0x08);
    const int offset = IrBlock::SymbolsOffset + 5;
    block.set(offset, uchar((block.at(offset) & 0xF0) | block.symbol(0)));
    return block;
}

// A document whose row 1 holds NEC "Power" (remark "front"), row 2 an
// RC5/RC6 block, row 3 a raw signal and row 512 SIRC "Last"; the others are empty.
void writeDocument(const QString &path)
{
    DocumentStore::writeTemplate(path);
    CodeTable table;
    table.setAfterPost([&table] { derivePostedRow(table); });
    table.open(path);
    const QList<std::pair<int, IrBlock>> rows = {{1, blockOf(IrProtocol::Nec, 0x04, 0x08, "Power")},
                                                 {2, blockOf(IrProtocol::Rc5, 0x00, 0x0C)},
                                                 {3, rawBlock()},
                                                 {512, blockOf(IrProtocol::Sirc, 0x01, 0x15, "Last")}};
    for (const auto &[row, block] : rows) {
        table.setRecNo(row);
        table.edit();
        table.setField(QStringLiteral("IR Data"), block.toByteArray());
        if (row == 1)
            table.setField(QStringLiteral("Remark"), QStringLiteral("front"));
        table.post();
    }
    table.updateBatch();
    table.close();
}

QByteArray irDataOf(const QString &path, int row)
{
    CodeTable table;
    table.open(path);
    const QByteArray bytes = table.irDataAt(row - 1);
    table.close();
    return bytes;
}

} // namespace

// zoq-cli as scripts run it: a process of its own, against zoq-modsim over a
// pseudo-terminal for the module commands.
class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void numbersInDecimalOrHex_data();
    void numbersInDecimalOrHex();
    void usageErrorsExitWithTwo_data();
    void usageErrorsExitWithTwo();
    void everyCommandHasHelp_data();
    void everyCommandHasHelp();
    void infoListsSlots();
    void infoAsJson();
    void compileGivesTheWindowsImage();
    void importBinGivesTheWindowsDocument();
    void importBinRefusesShortImage();
    void generateWritesRow_data();
    void generateWritesRow();
    void codeFilesAsTheWindowWritesAndReadsThem_data();
    void codeFilesAsTheWindowWritesAndReadsThem();
    void exportFaults_data();
    void exportFaults();
    void importFaults_data();
    void importFaults();
    void downloadThenVerify();
    void uploadIntoNewOrExistingDocument_data();
    void uploadIntoNewOrExistingDocument();
    void transferFaultsInModuleTerms_data();
    void transferFaultsInModuleTerms();
    void ctrlCStopsTransferAfterSlot_data();
    void ctrlCStopsTransferAfterSlot();
    void learnIntoRows();
    void learnFaults_data();
    void learnFaults();
    void sendAndStop_data();
    void sendAndStop();
    void stopUnanswered();
    void portThatCannotBeOpened_data();
    void portThatCannotBeOpened();

private:
    std::unique_ptr<CliFixture> m_fixture;
    QString m_document;
};

void TestCli::init()
{
    m_fixture = std::make_unique<CliFixture>();
    QVERIFY(m_fixture->isValid());
    m_document = m_fixture->path(QStringLiteral("codes.zoq"));
    writeDocument(m_document);
}

void TestCli::cleanup()
{
    m_fixture.reset();
}

void TestCli::numbersInDecimalOrHex_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value"); // -1: not a number

    QTest::newRow("decimal") << QStringLiteral("12") << qint64(12);
    QTest::newRow("hex") << QStringLiteral("0x0C") << qint64(12);
    QTest::newRow("upper-case hex") << QStringLiteral("0XfF") << qint64(255);
    QTest::newRow("spaces") << QStringLiteral(" 7 ") << qint64(7);
    QTest::newRow("32 bits") << QStringLiteral("0xFFFFFFFF") << qint64(0xFFFFFFFF);
    QTest::newRow("past 32 bits") << QStringLiteral("4294967296") << qint64(-1);
    QTest::newRow("negative") << QStringLiteral("-1") << qint64(-1);
    QTest::newRow("plus") << QStringLiteral("+1") << qint64(-1);
    QTest::newRow("bare 0x") << QStringLiteral("0x") << qint64(-1);
    QTest::newRow("hex digits without 0x") << QStringLiteral("1F") << qint64(-1);
    QTest::newRow("empty") << QString() << qint64(-1);
}

void TestCli::numbersInDecimalOrHex()
{
    QFETCH(QString, text);
    QFETCH(qint64, value);
    const std::optional<quint32> parsed = parseWholeNumber(text);
    QCOMPARE(parsed.has_value(), value >= 0);
    if (parsed)
        QCOMPARE(qint64(*parsed), value);
}

void TestCli::usageErrorsExitWithTwo_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("mentioned");

    QTest::newRow("no command") << QStringList() << QStringLiteral("Usage: zoq-cli COMMAND");
    QTest::newRow("unknown command") << args({"flash"}) << QStringLiteral("unknown command 'flash'");
    QTest::newRow("document missing") << args({"info"}) << QStringLiteral("DOC.zoq is missing");
    QTest::newRow("stray argument") << args({"info", "codes.zoq", "more"}) << QStringLiteral("'more'");
    QTest::newRow("unknown option") << args({"info", "codes.zoq", "--colour"}) << QStringLiteral("colour");
    QTest::newRow("address not a number")
        << args({"generate", "codes.zoq", "--row", "4", "--protocol", "nec", "--address", "0x1G", "--command", "1"})
        << QStringLiteral("--address");
    QTest::newRow("row past the table")
        << args({"generate", "codes.zoq", "--row", "513", "--protocol", "nec", "--address", "1", "--command", "1"})
        << QStringLiteral("--row takes a number from 1 to 512");
    QTest::newRow("unknown protocol")
        << args({"generate", "codes.zoq", "--row", "4", "--protocol", "nokia", "--address", "1", "--command", "1"})
        << QStringLiteral("unknown protocol 'nokia'");
    QTest::newRow("toggle of a protocol without one")
        << args({"generate", "codes.zoq", "--row", "4", "--protocol", "nec", "--address", "1", "--command", "1",
                 "--toggle", "1"})
        << QStringLiteral("NEC has no toggle bit");
    QTest::newRow("port missing") << args({"download", "codes.zoq"}) << QStringLiteral("--port is required");
    QTest::newRow("ID past 15") << args({"stop", "--port", "COM3", "--id", "16"}) << QStringLiteral("--id");
    QTest::newRow("upload with both targets")
        << args({"upload", "new.zoq", "--into", "codes.zoq", "--port", "COM3"})
        << QStringLiteral("either OUT.zoq or --into");
    QTest::newRow("upload without a target") << args({"upload", "--port", "COM3"})
                                             << QStringLiteral("either OUT.zoq or --into");
    QTest::newRow("rows backwards") << args({"learn", "codes.zoq", "--rows", "5-4", "--port", "COM3"})
                                    << QStringLiteral("--rows");
    QTest::newRow("learn format") << args({"learn", "codes.zoq", "--rows", "5", "--port", "COM3", "--format", "rc6"})
                                  << QStringLiteral("--format takes normal or rc5");
    QTest::newRow("export format") << args({"export", "codes.zoq", "out.txt", "--format", "wav"})
                                   << QStringLiteral("pronto|flipper|lirc|mode2|csv");
}

void TestCli::usageErrorsExitWithTwo()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentioned);
    const QByteArray before = readFile(m_document);
    const CliFixture::Result result = m_fixture->run(arguments);
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.err.contains(mentioned), qPrintable(result.err));
    QCOMPARE(readFile(m_document), before);
}

void TestCli::everyCommandHasHelp_data()
{
    QTest::addColumn<QString>("command");
    for (const CliCommand &command : allCliCommands())
        QTest::newRow(qPrintable(command.name)) << command.name;
}

void TestCli::everyCommandHasHelp()
{
    QFETCH(QString, command);
    for (const QStringList &arguments : {QStringList{command, QStringLiteral("--help")},
                                         QStringList{QStringLiteral("help"), command}}) {
        const CliFixture::Result result = m_fixture->run(arguments);
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.out.startsWith(QStringLiteral("Usage: zoq-cli ") + command + QLatin1Char(' ')),
                 qPrintable(result.out));
        QVERIFY(result.out.contains(QStringLiteral("--help")));
    }
    const CliFixture::Result overview = m_fixture->run({QStringLiteral("--help")});
    QCOMPARE(overview.exitCode, 0);
    QVERIFY(overview.out.contains(QStringLiteral("\n  ") + command + QLatin1Char(' ')));
}

void TestCli::infoListsSlots()
{
    CliFixture::Result result = m_fixture->run({QStringLiteral("info"), m_document});
    QCOMPARE(result.exitCode, 0);
    const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.at(0).simplified(), QStringLiteral("1 Power Normal 37632 NEC 0x04 0x08 front"));
    QCOMPARE(lines.at(1).simplified(), QStringLiteral("2 RC5/RC6 36156 RC5 0x00 0x0C"));
    QVERIFY2(lines.at(2).simplified().startsWith(QStringLiteral("3 Normal 37632 raw 38 kHz, ")), qPrintable(lines.at(2)));
    QVERIFY(lines.at(3).simplified().startsWith(QStringLiteral("512 Last Normal")));

    result = m_fixture->run({QStringLiteral("info"), m_document, QStringLiteral("--all")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out.count(QLatin1Char('\n')), 512);
}

void TestCli::infoAsJson()
{
    const CliFixture::Result result = m_fixture->run({QStringLiteral("info"), m_document, QStringLiteral("--json")});
    QCOMPARE(result.exitCode, 0);
    QJsonParseError error;
    const QJsonArray slots_ = QJsonDocument::fromJson(result.out.toUtf8(), &error).array();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(slots_.size(), 4);
    const QJsonObject nec = slots_.at(0).toObject();
    QCOMPARE(QStringList(nec.keys()),
             (QStringList{QStringLiteral("address"), QStringLiteral("carry"), QStringLiteral("command"),
                          QStringLiteral("format"), QStringLiteral("function"), QStringLiteral("id"),
                          QStringLiteral("protocol"), QStringLiteral("remark"), QStringLiteral("toggle")}));
    QCOMPARE(nec.value(QStringLiteral("id")).toInt(), 1);
    QCOMPARE(nec.value(QStringLiteral("function")).toString(), QStringLiteral("Power"));
    QCOMPARE(nec.value(QStringLiteral("remark")).toString(), QStringLiteral("front"));
    QCOMPARE(nec.value(QStringLiteral("format")).toString(), QStringLiteral("Normal"));
    QCOMPARE(nec.value(QStringLiteral("carry")).toInt(), 37632);
    QCOMPARE(nec.value(QStringLiteral("protocol")).toString(), QStringLiteral("NEC"));
    QCOMPARE(nec.value(QStringLiteral("address")).toInt(), 4);
    QCOMPARE(nec.value(QStringLiteral("command")).toInt(), 8);
    QVERIFY(nec.value(QStringLiteral("toggle")).isNull());
    const QJsonObject rc5 = slots_.at(1).toObject();
    QCOMPARE(rc5.value(QStringLiteral("toggle")).toInt(-1), 0);
    const QJsonObject raw = slots_.at(2).toObject();
    for (const char *key : {"protocol", "address", "command", "toggle"})
        QVERIFY2(raw.value(QLatin1String(key)).isNull(), key);

    const CliFixture::Result all =
        m_fixture->run({QStringLiteral("info"), m_document, QStringLiteral("--json"), QStringLiteral("--all")});
    const QJsonArray every = QJsonDocument::fromJson(all.out.toUtf8()).array();
    QCOMPARE(every.size(), 512);
    QVERIFY(every.at(5).toObject().value(QStringLiteral("carry")).isNull());
    QVERIFY(every.at(5).toObject().value(QStringLiteral("protocol")).isNull());
}

void TestCli::compileGivesTheWindowsImage()
{
    const QString out = m_fixture->path(QStringLiteral("out.bin"));
    writeFile(out, "old");
    const CliFixture::Result result = m_fixture->run({QStringLiteral("compile"), m_document, out});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.err.isEmpty());

    CodeTable table;
    table.open(m_document);
    const QString windows = m_fixture->path(QStringLiteral("window.bin"));
    writeImageFile(table, windows);
    QCOMPARE(readFile(out).size(), EepromImage::Size);
    QCOMPARE(readFile(out), readFile(windows));

    // A file that is not a document, and one that is not there.
    writeFile(m_fixture->path(QStringLiteral("notes.zoq")), "plain text, not a database");
    for (const QString &name : {QStringLiteral("notes.zoq"), QStringLiteral("missing.zoq")}) {
        const CliFixture::Result refused =
            m_fixture->run({QStringLiteral("compile"), m_fixture->path(name), m_fixture->path(QStringLiteral("x.bin"))});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.startsWith(QStringLiteral("zoq-cli compile: ")), qPrintable(refused.err));
        QVERIFY(!QFileInfo::exists(m_fixture->path(QStringLiteral("x.bin"))));
    }
}

void TestCli::importBinGivesTheWindowsDocument()
{
    // An image of learned blocks, erased slots and random bytes.
    QByteArray image;
    QRandomGenerator random(7);
    for (int slot = 0; slot < 512; ++slot) {
        QByteArray block = slot % 3 == 0 ? blockOf(IrProtocol::Nec, quint32(slot % 256), 1, "Key").toByteArray()
                           : slot % 3 == 1 ? QByteArray(512, '\xFF')
                                           : QByteArray(512, '\0');
        if (slot % 7 == 0) {
            for (char &byte : block)
                byte = char(random.bounded(256));
        }
        image += block;
    }
    image += "trailing bytes are ignored";
    const QString bin = m_fixture->path(QStringLiteral("in.bin"));
    writeFile(bin, image);
    const QString out = m_fixture->path(QStringLiteral("imported.zoq"));
    const CliFixture::Result result = m_fixture->run({QStringLiteral("import-bin"), bin, out});
    QCOMPARE(result.exitCode, 0);

    // The window: New, the import, Save under a new name.
    ScriptedPrompt prompt;
    CodeTable table;
    Document document(table, prompt, m_fixture->path(QStringLiteral("Temp.~tmp")));
    QVERIFY(document.createNew());
    importImage(table, readImageFile(bin));
    const QString windows = m_fixture->path(QStringLiteral("window.zoq"));
    prompt.queueFileName(windows);
    document.save();
    QCOMPARE(document.path(), windows);
    QCOMPARE(readFile(out), readFile(windows));
}

void TestCli::importBinRefusesShortImage()
{
    const QString bin = m_fixture->path(QStringLiteral("short.bin"));
    writeFile(bin, QByteArray(1000, '\x11'));
    const QString out = m_fixture->path(QStringLiteral("imported.zoq"));
    const CliFixture::Result result = m_fixture->run({QStringLiteral("import-bin"), bin, out});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains(QStringLiteral("it holds 1000 bytes")), qPrintable(result.err));
    QVERIFY(!QFileInfo::exists(out));
}

void TestCli::generateWritesRow_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("summary"); // of the row afterwards; empty: row unchanged
    QTest::addColumn<QString>("message");

    QTest::newRow("into an empty row") << args({"--row", "4", "--protocol", "rc6", "--address", "0x10",
                                                "--command", "12", "--toggle", "1", "--name", "Mute"})
                                       << 0 << QStringLiteral("RC6 0x10 0x0C") << QString();
    QTest::newRow("learned key kept without --yes")
        << args({"--row", "1", "--protocol", "samsung32", "--address", "7", "--command", "2"}) << 1 << QString()
        << QStringLiteral("row 1 'Power' holds a learned key; --yes overwrites it, nothing was written");
    QTest::newRow("learned key overwritten with --yes")
        << args({"--row", "1", "--protocol", "samsung32", "--address", "7", "--command", "2", "--yes"}) << 0
        << QStringLiteral("Samsung32 0x07 0x02") << QString();
    QTest::newRow("out of the protocol's range")
        << args({"--row", "4", "--protocol", "rc5", "--address", "0x20", "--command", "1"}) << 1 << QString()
        << QStringLiteral("RC5 address 0x20 is out of range 0x00..0x1F");
    QTest::newRow("NEC's form as NECext") << args({"--row", "4", "--protocol", "necext", "--address", "0xFB04",
                                                   "--command", "8"})
                                          << 1 << QString() << QStringLiteral("it is NEC address 0x04");
    QTest::newRow("name the encoding cannot hold")
        << args({"--row", "4", "--protocol", "nec", "--address", "1", "--command", "2", "--name", "Ton\u266B"}) << 1
        << QString() << QStringLiteral("\u266B");
}

void TestCli::generateWritesRow()
{
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, summary);
    QFETCH(QString, message);
    const QByteArray before = readFile(m_document);
    const int row = options.at(1).toInt();
    const QByteArray name = IrBlock::nameBytesOfField(irDataOf(m_document, row));

    const CliFixture::Result result = m_fixture->run(QStringList{QStringLiteral("generate"), m_document} + options);
    QCOMPARE(result.exitCode, exitCode);
    if (summary.isEmpty()) {
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
        QCOMPARE(readFile(m_document), before);
        return;
    }
    QCOMPARE(result.out, QStringLiteral("row %1: %2\n").arg(row).arg(summary));
    const IrBlock block = IrBlock::fromField(irDataOf(m_document, row));
    QCOMPARE(IrDecoder::summary(block), summary);
    QCOMPARE(block.nameBytes(), options.contains(QStringLiteral("--name")) ? QByteArray("Mute") : name);
}

void TestCli::codeFilesAsTheWindowWritesAndReadsThem_data()
{
    QTest::addColumn<QStringList>("exportOptions");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("format");
    QTest::addColumn<QList<int>>("rows");

    const QList<int> keys{1, 2, 3, 512};
    QTest::newRow("Pronto Hex by name") << args({"--format", "PRONTO"}) << QStringLiteral("keys.codes")
                                        << int(CodeFormat::Pronto) << keys;
    QTest::newRow("Flipper by extension") << QStringList() << QStringLiteral("keys.ir") << int(CodeFormat::Flipper)
                                          << keys;
    QTest::newRow("LIRC of some rows") << args({"--rows", "2-512"}) << QStringLiteral("keys.conf")
                                       << int(CodeFormat::Lirc) << QList<int>{2, 3, 512};
    QTest::newRow("mode2 of one row") << args({"--format", "mode2", "--rows", "3"}) << QStringLiteral("key.txt")
                                      << int(CodeFormat::Mode2) << QList<int>{3};
    QTest::newRow("CSV") << QStringList() << QStringLiteral("keys.csv") << int(CodeFormat::Csv) << keys;
}

// export writes the window's Export bytes; import of that file writes the
// rows the window's Import writes, byte for byte.
void TestCli::codeFilesAsTheWindowWritesAndReadsThem()
{
    QFETCH(QStringList, exportOptions);
    QFETCH(QString, fileName);
    QFETCH(int, format);
    QFETCH(QList<int>, rows);
    const QString file = m_fixture->path(fileName);

    CliFixture::Result result = m_fixture->run(QStringList{QStringLiteral("export"), m_document, file} + exportOptions);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.out.startsWith(QStringLiteral("%1 keys written").arg(rows.size()))
                 || (rows.size() == 1 && result.out.startsWith(QStringLiteral("1 key written"))),
             qPrintable(result.out));
    {
        CodeTable table;
        table.open(m_document);
        const QString windows = m_fixture->path(QStringLiteral("window-") + fileName);
        const CodeExport::Report report =
            CodeExport::exportToFile(table, rows, CodeFormat(format), windows, {QStringLiteral("codes")});
        table.close();
        QCOMPARE(report.written, rows.size());
        QCOMPARE(readFile(file), readFile(windows));
    }

    const QString target = m_fixture->path(QStringLiteral("target.zoq"));
    const QString windowTarget = m_fixture->path(QStringLiteral("window-target.zoq"));
    DocumentStore::writeTemplate(target);
    DocumentStore::writeTemplate(windowTarget);
    result = m_fixture->run({QStringLiteral("import"), file, target, QStringLiteral("--row"), QStringLiteral("10")});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.out.contains(QStringLiteral("-> row 10")), qPrintable(result.out));

    CodeTable window;
    window.setAfterPost([&window] { derivePostedRow(window); });
    window.open(windowTarget);
    const IrResult<CodeImport::Source> source = CodeImport::readFile(file);
    QVERIFY(source.isOk());
    const CodeImport::Plan plan = CodeImport::plan(window, source.value().file, {}, 10);
    QCOMPARE(plan.placements.size(), rows.size());
    CodeImport::apply(window, plan);
    CodeTable cli;
    cli.open(target);
    for (int row = 1; row <= cli.recordCount(); ++row) {
        for (int field = 0; field < cli.fieldCount(); ++field)
            QCOMPARE(cli.valueAt(row - 1, field), window.valueAt(row - 1, field));
    }
    cli.close();
    window.close();
}

void TestCli::exportFaults_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("written");

    QTest::newRow("extension that tells nothing") << QStringList() << QStringLiteral("keys.dat") << 2
                                                  << QStringLiteral("--format is needed") << false;
    QTest::newRow("unknown format") << args({"--format", "bin"}) << QStringLiteral("keys.ir") << 2
                                    << QStringLiteral("--format takes pronto|flipper|lirc|mode2|csv, not 'bin'")
                                    << false;
    QTest::newRow("rows without keys") << args({"--rows", "4-511"}) << QStringLiteral("keys.ir") << 1
                                       << QStringLiteral("no row holds a key to export; nothing was written") << false;
    QTest::newRow("several keys into mode2") << QStringList() << QStringLiteral("keys.mode2") << 1
                                             << QStringLiteral("3 keys were left out (listed above)") << true;
}

void TestCli::exportFaults()
{
    QFETCH(QStringList, options);
    QFETCH(QString, fileName);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(bool, written);
    const QString file = m_fixture->path(fileName);
    const CliFixture::Result result = m_fixture->run(QStringList{QStringLiteral("export"), m_document, file} + options);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    QCOMPARE(QFileInfo::exists(file), written);
    if (written)
        QVERIFY2(result.out.contains(QStringLiteral("row 512 'Last': a mode2 text holds one key")), qPrintable(result.out));
}

void TestCli::importFaults_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QList<int>>("rowsWritten");

    const QByteArray twoKeys = "Filetype: IR signals file\nVersion: 1\n#\nname: Vol+\ntype: parsed\n"
                               "protocol: NEC\naddress: 04 00 00 00\ncommand: 02 00 00 00\n#\nname: Vol-\n"
                               "type: parsed\nprotocol: NEC\naddress: 04 00 00 00\ncommand: 03 00 00 00\n";
    QTest::newRow("into empty rows") << twoKeys << args({"--row", "4"}) << 0 << QString() << QList<int>{4, 5};
    QTest::newRow("learned row kept without --yes")
        << twoKeys << args({"--row", "3"}) << 1
        << QStringLiteral("row 3 holds a learned key; --yes overwrites it, nothing was written") << QList<int>();
    QTest::newRow("learned row overwritten with --yes")
        << twoKeys << args({"--row", "3", "--yes"}) << 0 << QString() << QList<int>{3, 4};
    QTest::newRow("no row left for the last key")
        << twoKeys << args({"--row", "512", "--yes"}) << 1 << QStringLiteral("1 key was not imported (listed above)")
        << QList<int>{512};
    QTest::newRow("not a code file") << QByteArray("hello\n") << QStringList() << 1
                                     << QStringLiteral("cannot be read as Flipper IR: line 1") << QList<int>();
    QTest::newRow("content of another format") << twoKeys << args({"--format", "lirc"}) << 1
                                               << QStringLiteral("cannot be read as LIRC lircd.conf")
                                               << QList<int>();
    QTest::newRow("row past the table") << twoKeys << args({"--row", "513"}) << 2 << QStringLiteral("--row")
                                        << QList<int>();
}

void TestCli::importFaults()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(QList<int>, rowsWritten);
    const QString file = m_fixture->path(QStringLiteral("in.ir"));
    writeFile(file, content);
    const QByteArray before = readFile(m_document);

    const CliFixture::Result result = m_fixture->run(QStringList{QStringLiteral("import"), file, m_document} + options);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    if (rowsWritten.isEmpty()) {
        QCOMPARE(readFile(m_document), before);
        return;
    }
    const QStringList summaries{QStringLiteral("NEC 0x04 0x02"), QStringLiteral("NEC 0x04 0x03")};
    for (qsizetype i = 0; i < rowsWritten.size(); ++i)
        QCOMPARE(IrDecoder::summary(IrBlock::fromField(irDataOf(m_document, rowsWritten.at(i)))), summaries.at(i));
}

void TestCli::downloadThenVerify()
{
    QVERIFY(m_fixture->startModule({QStringLiteral("--id"), QStringLiteral("5")}));
    CliFixture::Result result = m_fixture->run(
        {QStringLiteral("download"), m_document, QStringLiteral("--port"), QStringLiteral("COM3"), QStringLiteral("--id"), QStringLiteral("5")});
    QCOMPARE(result.exitCode, 0);
    // Not a terminal: one summary line.
    QVERIFY2(result.err.startsWith(QStringLiteral("zoq-cli download: 512 slots in ")), qPrintable(result.err));
    QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
    CodeTable table;
    table.open(m_document);
    const QByteArray image = compileImage(table);
    table.close();
    QCOMPARE(readFile(m_fixture->eepromPath()), image);

    const QStringList verify = {QStringLiteral("verify"), m_document, QStringLiteral("--port"), QStringLiteral("COM3"),
                                QStringLiteral("--id"), QStringLiteral("5")};
    result = m_fixture->run(verify);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.contains(QStringLiteral("all 512 slots match")), qPrintable(result.err));

    // One byte of slot 37 changes in the module's EEPROM.
    m_fixture->stopModule();
    QByteArray changed = image;
    changed[37 * 512 + 100] = char(changed.at(37 * 512 + 100) ^ 0x01);
    writeFile(m_fixture->eepromPath(), changed);
    QVERIFY(m_fixture->startModule({QStringLiteral("--id"), QStringLiteral("5")}));
    result = m_fixture->run(verify);
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.out, QStringLiteral("slot 37 (row 38): 1 byte differs, the first at byte 100\n"));
    QVERIFY2(result.err.contains(QStringLiteral("1 of 512 slots differ")), qPrintable(result.err));
}

void TestCli::uploadIntoNewOrExistingDocument_data()
{
    QTest::addColumn<bool>("into");
    QTest::newRow("new document") << false;
    QTest::newRow("into an existing one") << true;
}

void TestCli::uploadIntoNewOrExistingDocument()
{
    QFETCH(bool, into);
    // The module holds another document's image.
    const QString source = m_fixture->path(QStringLiteral("source.zoq"));
    writeDocument(source);
    CodeTable table;
    table.open(source);
    table.setRecNo(9);
    table.edit();
    table.setField(QStringLiteral("IR Data"), blockOf(IrProtocol::Jvc, 3, 4, "Nine").toByteArray());
    table.post();
    QByteArray image = compileImage(table);
    table.close();
    writeFile(m_fixture->eepromPath(), image);
    QVERIFY(m_fixture->startModule());

    const QString target = into ? m_document : m_fixture->path(QStringLiteral("uploaded.zoq"));
    const QStringList arguments = into ? QStringList{QStringLiteral("upload"), QStringLiteral("--into"), target}
                                       : QStringList{QStringLiteral("upload"), target};
    const CliFixture::Result result =
        m_fixture->run(arguments + QStringList{QStringLiteral("--port"), QStringLiteral("COM3")});
    QCOMPARE(result.exitCode, 0);
    table.open(target);
    for (int slot = 0; slot < 512; ++slot) {
        QByteArray expected = image.mid(slot * 512, 512);
        expected[255] = '\0';
        QCOMPARE(table.irDataAt(slot), expected);
    }
    table.setRecNo(9);
    QCOMPARE(table.fieldText(QStringLiteral("Function")), QStringLiteral("Nine"));
    QCOMPARE(table.fieldText(QStringLiteral("Format")), QStringLiteral("Normal"));
}

void TestCli::transferFaultsInModuleTerms_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QString>("message");

    QTest::newRow("download, module silent")
        << QStringLiteral("download") << args({"--silent-slot", "0"})
        << QStringLiteral("no answer to DOWNLOADALL (module ID 0 on COM3)");
    QTest::newRow("download, another module ID")
        << QStringLiteral("download") << args({"--id", "1"})
        << QStringLiteral("no answer to DOWNLOADALL (module ID 0 on COM3)");
    QTest::newRow("download, silent at slot 37")
        << QStringLiteral("download") << args({"--silent-slot", "37"})
        << QStringLiteral("slot 37: no answer to the first half of the slot within 3 s");
    QTest::newRow("download, silent after half a slot")
        << QStringLiteral("download") << args({"--silent-slot", "200", "--half-slot"})
        << QStringLiteral("slot 200: no answer to the second half of the slot within 3 s");
    QTest::newRow("upload, another module ID")
        << QStringLiteral("upload") << args({"--id", "1"})
        << QStringLiteral("no answer to UPLOADALL (module ID 0 on COM3); nothing was written");
    QTest::newRow("upload, silent at slot 5") << QStringLiteral("upload") << args({"--silent-slot", "5"})
                                              << QStringLiteral("slot 5: 0 of 512 bytes arrived within 3 s; nothing was written");
    QTest::newRow("verify, silent at slot 9") << QStringLiteral("verify") << args({"--silent-slot", "9"})
                                              << QStringLiteral("slot 9: 0 of 512 bytes arrived within 3 s");
}

void TestCli::transferFaultsInModuleTerms()
{
    QFETCH(QString, command);
    QFETCH(QStringList, faults);
    QFETCH(QString, message);
    QVERIFY(m_fixture->startModule(faults));
    const QString out = m_fixture->path(QStringLiteral("uploaded.zoq"));
    const QString document = command == QLatin1String("upload") ? out : m_document;
    const CliFixture::Result result =
        m_fixture->run({command, document, QStringLiteral("--port"), QStringLiteral("COM3")});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.err, QStringLiteral("zoq-cli %1: %2\n").arg(command, message));
    QVERIFY(!QFileInfo::exists(out));
    // The module is back at 9600 and answers the next command.
    m_fixture->stopModule();
    QVERIFY(m_fixture->startModule());
    QCOMPARE(m_fixture->run({QStringLiteral("stop"), QStringLiteral("--port"), QStringLiteral("COM3")}).exitCode, 0);
}

void TestCli::ctrlCStopsTransferAfterSlot_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("download") << QStringLiteral("download");
    QTest::newRow("upload") << QStringLiteral("upload");
}

void TestCli::ctrlCStopsTransferAfterSlot()
{
    QFETCH(QString, command);
    // At real wire pacing a transfer takes about 25 s.
    QVERIFY(m_fixture->startModule({QStringLiteral("--paced")}));
    const QString out = m_fixture->path(QStringLiteral("uploaded.zoq"));
    const QString document = command == QLatin1String("upload") ? out : m_document;
    const std::unique_ptr<QProcess> process =
        m_fixture->start({command, document, QStringLiteral("--port"), QStringLiteral("COM3")});
    QVERIFY(process->waitForStarted());
    // Sanitizer builds on a busy machine take seconds to start.
    QTRY_VERIFY_WITH_TIMEOUT(m_fixture->moduleLog().contains(QStringLiteral("ALL id 0")), 30000);
    QTest::qWait(1500); // some 30 slots
    ::kill(pid_t(process->processId()), SIGINT);
    const CliFixture::Result result = CliFixture::finish(*process, 30000);

    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains(QStringLiteral("stopped by Ctrl+C after slot ")), qPrintable(result.err));
    QVERIFY(result.err.contains(QStringLiteral("the module was told to cancel")));
    QVERIFY(m_fixture->moduleLog().contains(QStringLiteral("cancelled by the program")));
    QVERIFY(!QFileInfo::exists(out));
    // Back at 9600: the module takes the next frame.
    QCOMPARE(m_fixture->run({QStringLiteral("stop"), QStringLiteral("--port"), QStringLiteral("COM3")}).exitCode, 0);
}

void TestCli::learnIntoRows()
{
    QVERIFY(m_fixture->startModule(args({"--protocol", "rc5", "--address", "3", "--command", "0x21"})));
    const CliFixture::Result result =
        m_fixture->run({QStringLiteral("learn"), m_document, QStringLiteral("--rows"), QStringLiteral("1-2"),
                        QStringLiteral("--port"), QStringLiteral("COM3"), QStringLiteral("--format"), QStringLiteral("rc5"),
                        QStringLiteral("--time"), QStringLiteral("2")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QStringLiteral("row 1: RC5 0x03 0x21\nrow 2: RC5 0x03 0x21\n"));
    QVERIFY(result.err.contains(QStringLiteral("row 2: press the key on the remote")));
    QVERIFY(m_fixture->moduleLog().contains(QStringLiteral("LEARN id 0 time 2 format 2")));
    const IrBlock first = IrBlock::fromField(irDataOf(m_document, 1));
    QVERIFY(first.isRc5Rc6());
    QCOMPARE(first.nameBytes(), QByteArray("Power"));
    QCOMPARE(IrDecoder::summary(IrBlock::fromField(irDataOf(m_document, 2))).left(13), QStringLiteral("RC5 0x03 0x21"));
}

void TestCli::learnFaults_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("interrupt");
    QTest::addColumn<QString>("message");

    QTest::newRow("no acknowledgement") << args({"--no-learn-ack"}) << false
                                        << QStringLiteral("row 5: no answer to LEARN (module ID 0 on COM3); 0 of 2 rows learned");
    QTest::newRow("Ctrl+C while the key is awaited")
        << args({"--capture-delay", "60000"}) << true << QStringLiteral("stopped by Ctrl+C at row 5; 0 of 2 rows learned");
}

void TestCli::learnFaults()
{
    QFETCH(QStringList, faults);
    QFETCH(bool, interrupt);
    QFETCH(QString, message);
    QVERIFY(m_fixture->startModule(faults));
    const QByteArray before = readFile(m_document);
    const std::unique_ptr<QProcess> process =
        m_fixture->start({QStringLiteral("learn"), m_document, QStringLiteral("--rows"), QStringLiteral("5-6"),
                          QStringLiteral("--port"), QStringLiteral("COM3")});
    if (interrupt) {
        QTRY_VERIFY_WITH_TIMEOUT(m_fixture->moduleLog().contains(QStringLiteral("LEARN")), 30000);
        QTest::qWait(200);
        ::kill(pid_t(process->processId()), SIGINT);
    }
    const CliFixture::Result result = CliFixture::finish(*process, 30000);
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.endsWith(QStringLiteral("zoq-cli learn: ") + message + QLatin1Char('\n')), qPrintable(result.err));
    QCOMPARE(readFile(m_document), before);
    // Every run ends with ESC.
    QTRY_VERIFY(m_fixture->moduleLog().contains(QStringLiteral("ESC")));
}

void TestCli::sendAndStop_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("sent") << QStringLiteral("accept") << 2 << 0
                          << QStringLiteral("row 2 (RC5 0x00 0x0C) sent on ports 0x81");
    QTest::newRow("refused") << QStringLiteral("refuse") << 1 << 1
                             << QStringLiteral("module sent 'B': it does not transmit now");
    QTest::newRow("garbage") << QStringLiteral("garbage") << 1 << 1 << QStringLiteral("after SEND, not 'A'");
    QTest::newRow("two bytes") << QStringLiteral("two") << 1 << 1 << QStringLiteral("module sent 2 bytes after SEND, not one");
    QTest::newRow("silence") << QStringLiteral("silence") << 1 << 1 << QStringLiteral("no answer to SEND");
    QTest::newRow("empty row") << QStringLiteral("accept") << 4 << 1 << QStringLiteral("row 4 holds no learned key");
}

void TestCli::sendAndStop()
{
    QFETCH(QString, reply);
    QFETCH(int, row);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QVERIFY(m_fixture->startModule({QStringLiteral("--send-reply"), reply}));
    CliFixture::Result result =
        m_fixture->run({QStringLiteral("send"), m_document, QStringLiteral("--row"), QString::number(row),
                        QStringLiteral("--port"), QStringLiteral("COM3"), QStringLiteral("--ports"),
                        QStringLiteral("0x81"), QStringLiteral("--hold"), QStringLiteral("100")});
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    const QString log = m_fixture->moduleLog();
    QCOMPARE(log.contains(QStringLiteral("SEND id 0 ports 0x81")), row != 4);
    QCOMPARE(log.contains(QStringLiteral("STOP")), exitCode == 0);

    result = m_fixture->run({QStringLiteral("stop"), QStringLiteral("--port"), QStringLiteral("COM3")});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.err.isEmpty());
}

void TestCli::stopUnanswered()
{
    QVERIFY(m_fixture->startModule({QStringLiteral("--id"), QStringLiteral("2")}));
    const CliFixture::Result result =
        m_fixture->run({QStringLiteral("stop"), QStringLiteral("--port"), QStringLiteral("COM3")});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.err, QStringLiteral("zoq-cli stop: no answer to STOP (module ID 0 on COM3)\n"));
}

void TestCli::portThatCannotBeOpened_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("held");
    QTest::addColumn<QString>("message");

    QTest::newRow("missing device") << QStringLiteral("/dev/zoq-no-such-port") << false
                                    << QStringLiteral("cannot open /dev/zoq-no-such-port: There is no device at /dev/zoq-no-such-port.");
    QTest::newRow("COMn without a link: /dev/ttyS") << QStringLiteral("COM8") << false
                                                   << QStringLiteral("cannot open COM8 (/dev/ttyS7): ");
    QTest::newRow("held by another program") << QStringLiteral("COM3") << true
                                             << QStringLiteral("is in use by another program");
}

void TestCli::portThatCannotBeOpened()
{
    QFETCH(QString, port);
    QFETCH(bool, held);
    QFETCH(QString, message);
    QVERIFY(m_fixture->startModule());
    QSerialPort holder(QFileInfo(m_fixture->path(QStringLiteral("COM3"))).canonicalFilePath());
    if (held)
        QVERIFY(holder.open(QIODevice::ReadWrite));
    for (const QString &command : {QStringLiteral("stop"), QStringLiteral("download")}) {
        QStringList arguments{command, QStringLiteral("--port"), port};
        if (command == QLatin1String("download"))
            arguments.insert(1, m_document);
        const CliFixture::Result result = m_fixture->run(arguments);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.startsWith(QStringLiteral("zoq-cli %1: ").arg(command) + message)
                     || result.err.contains(message),
                 qPrintable(result.err));
    }
    QVERIFY(!m_fixture->moduleLog().contains(QStringLiteral("DOWNLOADALL")));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
