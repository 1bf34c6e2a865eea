#include "FormatSamples.h"
#include "TestDocument.h"

#include "core/common/ZoqError.h"
#include "core/document/CodeTable.h"
#include "core/formats/CodeExport.h"
#include "core/formats/CodeImport.h"
#include "core/signal/IrBlockWriter.h"
#include "core/signal/IrDecoder.h"
#include "core/signal/IrEncoder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(CodeFormat)

namespace {

const QByteArray FlipperFile =
    "Filetype: IR signals file\nVersion: 1\n"
    "#\n# the power key\nname: Power\ntype: parsed\nprotocol: NEC\naddress: 04 00 00 00\n"
    "command: 08 00 00 00\n"
    "#\nname: Tape\ntype: parsed\nprotocol: Pioneer\naddress: 01 00 00 00\ncommand: 02 00 00 00\n"
    "#\nname: Sony\ntype: parsed\nprotocol: SIRC\naddress: 01 00 00 00\ncommand: 15 00 00 00\n";

QByteArray blockOf(const IrCode &code)
{
    return IrEncoder::block(code).value().toByteArray();
}

} // namespace

class TestCodeImport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void codesGoIntoRowsFromTheCurrentRow();
    void codesGoIntoTheSelectedRows();
    void codesPastTheLastRowAreReported();
    void rowsHoldingASignalAreNamedInTheQuestion();
    void namesAreCutAndStoredInTheNameEncoding_data();
    void namesAreCutAndStoredInTheNameEncoding();
    void csvRowTakesItsTimingsUnlessItsParametersChanged();
    void filesThatCannotBeImportedSayWhy_data();
    void filesThatCannotBeImportedSayWhy();
    void modeTwoKeyIsNamedAfterItsFile();
    void exportThenImportGivesTheSameBlocks_data();
    void exportThenImportGivesTheSameBlocks();
    void exportLeavesOutRowsWithoutSignalAndWritesNothingWhenNoKeyFits();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void openTable(std::unique_ptr<CodeTable> &table, const QString &name);
    CodeImport::Plan planOf(const QByteArray &bytes, const QList<int> &rows, int startRow);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CodeTable> m_table;
    TestDocument::HookCounts m_counts;
};

void TestCodeImport::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_counts = {};
    openTable(m_table, QStringLiteral("doc.zoq"));
}

void TestCodeImport::cleanup()
{
    m_table.reset();
    m_dir.reset();
}

void TestCodeImport::openTable(std::unique_ptr<CodeTable> &table, const QString &name)
{
    TestDocument::write(path(name), 512, TestDocument::Content::Template);
    table = std::make_unique<CodeTable>();
    table->open(path(name));
    TestDocument::attachHooks(*table, m_counts);
}

CodeImport::Plan TestCodeImport::planOf(const QByteArray &bytes, const QList<int> &rows, int startRow)
{
    const IrResult<CodeImport::Source> source = CodeImport::readBytes(bytes, QStringLiteral("codes"));
    if (!source.isOk())
        qFatal("%s", qPrintable(source.error()));
    return CodeImport::plan(*m_table, source.value().file, rows, startRow);
}

void TestCodeImport::codesGoIntoRowsFromTheCurrentRow()
{
    m_table->setRecNo(5);
    const CodeImport::Plan plan = planOf(FlipperFile, {}, m_table->recNo());
    QCOMPARE(plan.placements.size(), 2);
    QCOMPARE(plan.refused.size(), 1);
    QCOMPARE(plan.refused.first().text(), QStringLiteral("line 11 'Tape': protocol 'Pioneer' is not one ZOQ builds"));
    QVERIFY(plan.rowsHoldingSignal(*m_table).isEmpty());

    m_table->setRecNo(300);
    CodeImport::apply(*m_table, plan);
    QCOMPARE(m_table->recNo(), 5);
    QCOMPARE(m_counts.posts, 2);
    const int remark = m_table->fieldIndex(QStringLiteral("Remark"));
    const int format = m_table->fieldIndex(QStringLiteral("Format"));
    const int carry = m_table->fieldIndex(QStringLiteral("Carry"));
    QCOMPARE(m_table->functionName(4), QStringLiteral("Power"));
    QCOMPARE(m_table->valueAt(4, remark).toString(), QStringLiteral("the power key"));
    QCOMPARE(m_table->valueAt(4, format).toString(), QStringLiteral("Normal"));
    QCOMPARE(m_table->valueAt(4, carry).toString(), QStringLiteral("37632")); // the NEC encoder's 38 kHz
    QCOMPARE(IrDecoder::summary(IrBlock::fromField(m_table->irDataAt(4))), QStringLiteral("NEC 0x04 0x08"));
    QCOMPARE(m_table->functionName(5), QStringLiteral("Sony"));
    QCOMPARE(IrDecoder::summary(IrBlock::fromField(m_table->irDataAt(5))), QStringLiteral("SIRC 0x01 0x15"));
    QCOMPARE(m_table->irDataAt(6), QByteArray(512, '\0'));
    QCOMPARE(m_table->irDataAt(3), QByteArray(512, '\0'));

    const QString report = CodeImport::report(plan, QStringLiteral("remote.ir"));
    QCOMPARE(report,
             QStringLiteral("2 codes of \"remote.ir\" imported:\nline 5 -> row 5 'Power'\nline 17 -> row 6 'Sony'\n"
                            "Not imported:\nline 11 'Tape': protocol 'Pioneer' is not one ZOQ builds"));
}

void TestCodeImport::codesGoIntoTheSelectedRows()
{
    const QByteArray file =
        FlipperFile + "name: Four\ntype: parsed\nprotocol: RC5\naddress: 01 00 00 00\ncommand: 02 00 00 00\n";
    const CodeImport::Plan plan = planOf(file, {10, 3, 600, 10}, 1);
    QCOMPARE(plan.placements.size(), 2);
    QCOMPARE(plan.placements.at(0).row, 3);
    QCOMPARE(plan.placements.at(1).row, 10);
    QCOMPARE(plan.refused.size(), 2);
    QCOMPARE(plan.refused.last().text(), QStringLiteral("line 22 'Four': no selected row left"));
}

void TestCodeImport::codesPastTheLastRowAreReported()
{
    const CodeImport::Plan plan = planOf(FlipperFile, {}, 512);
    QCOMPARE(plan.placements.size(), 1);
    QCOMPARE(plan.placements.first().row, 512);
    QCOMPARE(plan.refused.last().text(), QStringLiteral("line 17 'Sony': no row left after row 512"));
}

void TestCodeImport::rowsHoldingASignalAreNamedInTheQuestion()
{
    for (const int row : {6, 8}) {
        m_table->setRecNo(row);
        m_table->edit();
        m_table->setField(QStringLiteral("IR Data"), blockOf({IrProtocol::Nec, 1, 2}));
        m_table->post();
    }
    const QByteArray file =
        FlipperFile + "name: Four\ntype: parsed\nprotocol: RC5\naddress: 01 00 00 00\ncommand: 02 00 00 00\n";
    const CodeImport::Plan plan = planOf(file, {}, 6);
    QCOMPARE(plan.rowsHoldingSignal(*m_table), (QList<int>{6, 8}));
    QCOMPARE(CodeImport::overwriteQuestion(plan.rowsHoldingSignal(*m_table)),
             QStringLiteral("2 of the rows to be written hold a learned signal (rows 6, 8). Overwrite them?"));
    QCOMPARE(CodeImport::overwriteQuestion({7}),
             QStringLiteral("1 of the rows to be written holds a learned signal (row 7). Overwrite it?"));
}

void TestCodeImport::namesAreCutAndStoredInTheNameEncoding_data()
{
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("note");
    QTest::newRow("long Latin-1 name") << QStringLiteral("Latin-1") << QStringLiteral("Volume up and more")
                                       << QByteArray("Volume up and m") << QString();
    QTest::newRow("character Latin-1 lacks")
        << QStringLiteral("Latin-1") << QStringLiteral("Ω mode café") << QByteArray("? mode caf\xE9")
        << QStringLiteral("characters Latin-1 lacks are stored as '?'");
    QTest::newRow("GBK name") << QStringLiteral("GBK") << QStringLiteral("电视电源开关键八个字")
                              << QByteArray("\xB5\xE7\xCA\xD3\xB5\xE7\xD4\xB4\xBF\xAA\xB9\xD8\xBC\xFC") << QString();
}

void TestCodeImport::namesAreCutAndStoredInTheNameEncoding()
{
    QFETCH(QString, encoding);
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, note);
    m_table->setNameEncoding(NameEncoding(*NameEncoding::fromLabel(encoding)));
    const QByteArray file = "Function,Protocol,Address,Command\n\"" + name.toUtf8() + "\",NEC,1,2\n";
    const CodeImport::Plan plan = planOf(file, {}, 1);
    QCOMPARE(plan.placements.size(), 1);
    QCOMPARE(plan.placements.first().block.nameBytes(), bytes);
    QCOMPARE(plan.placements.first().nameNote, note);
    CodeImport::apply(*m_table, plan);
    QCOMPARE(IrBlock::fromField(m_table->irDataAt(0)).nameBytes(), bytes);
    QCOMPARE(m_table->functionName(0), NameEncoding(*NameEncoding::fromLabel(encoding)).decode(bytes));
}

void TestCodeImport::csvRowTakesItsTimingsUnlessItsParametersChanged()
{
    // A NEC frame with a slightly long leader: it decodes, but the encoder
    // would not make these timings.
    QRandomGenerator random(11);
    IrTiming learned = IrEncoder::timings({IrProtocol::Nec, 4, 8}).value().first();
    QList<IrDuration> symbols = learned.symbols();
    symbols[0].burst += 9;
    learned = IrTiming(learned.carrierPeriod(), symbols, learned.repeatStart(), learned.repeatEnd());
    QCOMPARE(IrDecoder::decode(learned)->text(), QStringLiteral("NEC 0x04 0x08"));
    CodedKey key = FormatSamples::keyOf({learned}, QStringLiteral("Power"), 1);
    key.code = IrDecoder::decode(learned);
    const QByteArray csv = writeCodes(CodeFormat::Csv, {key}).bytes;

    const IrBlock kept = planOf(csv, {}, 1).placements.first().block;
    QCOMPARE(IrTiming::capturesOf(kept).first().symbols().at(0).burst, symbols.at(0).burst);

    QByteArray edited = csv;
    edited.replace(",0x08,", ",0x09,");
    const IrBlock rebuilt = planOf(edited, {}, 1).placements.first().block;
    QCOMPARE(IrDecoder::summary(rebuilt), QStringLiteral("NEC 0x04 0x09"));
}

void TestCodeImport::filesThatCannotBeImportedSayWhy_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::newRow("not a code file") << QStringLiteral("letter.doc") << QByteArray("Dear reader,\n")
                                     << QStringLiteral("\"%1\" is not a code file ZOQ reads (Pronto Hex, Flipper IR, "
                                                       "LIRC lircd.conf or mode2, CSV).");
    QTest::newRow("malformed") << QStringLiteral("remote.ir")
                               << QByteArray("Filetype: IR signals file\nVersion: 1\nname: A\ntype: parsed\n")
                               << QStringLiteral("\"%1\" cannot be read as Flipper IR: line 3: signal 'A' has no "
                                                 "'protocol' (the file may be cut short).");
    QTest::newRow("the extension tells, the content does not")
        << QStringLiteral("codes.csv") << QByteArray("a,b\n")
        << QStringLiteral("\"%1\" cannot be read as CSV: line 1: the header names neither a 'Pronto Hex' nor a "
                          "'Protocol' column.");
}

void TestCodeImport::filesThatCannotBeImportedSayWhy()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const IrResult<CodeImport::Source> source = CodeImport::readFile(path(name));
    QVERIFY(!source.isOk());
    QCOMPARE(source.error(), message.arg(QDir::toNativeSeparators(path(name))));

    QVERIFY(!CodeImport::readFile(path(QStringLiteral("missing.ir"))).isOk());
    QFile large(path(QStringLiteral("large.txt")));
    QVERIFY(large.open(QIODevice::WriteOnly) && large.resize(CodeImport::MaxFileBytes + 1));
    large.close();
    QVERIFY(CodeImport::readFile(large.fileName()).error().contains(QStringLiteral("more than 16 MB")));
}

void TestCodeImport::modeTwoKeyIsNamedAfterItsFile()
{
    QFile file(path(QStringLiteral("Vol up.mode2")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("pulse 9000\nspace 4500\npulse 560\n");
    file.close();
    const IrResult<CodeImport::Source> source = CodeImport::readFile(file.fileName());
    QVERIFY2(source.isOk(), qPrintable(source.error()));
    QCOMPARE(source.value().format, CodeFormat::Mode2);
    QCOMPARE(source.value().file.keys.first().name, QStringLiteral("Vol up"));
}

void TestCodeImport::exportThenImportGivesTheSameBlocks_data()
{
    QTest::addColumn<CodeFormat>("format");
    for (const CodeFormat format : allCodeFormats())
        QTest::newRow(codeFormatInfo(format).name.data()) << format;
}

void TestCodeImport::exportThenImportGivesTheSameBlocks()
{
    QFETCH(CodeFormat, format);
    // Learned-like blocks, Normal and RC5/RC6, and a protocol code.
    QRandomGenerator random(21);
    QList<QByteArray> blocks;
    blocks.append(
        IrBlockWriter::write({FormatSamples::learnedCapture({48, 40, 34, 40, 1000}, random)}).value().toByteArray());
    blocks.append(IrBlockWriter::write({FormatSamples::learnedCapture({51, 30, 0, 30, 0}, random),
                                        FormatSamples::learnedCapture({51, 28, 0, 28, 0}, random)})
                      .value()
                      .toByteArray());
    blocks.append(blockOf({IrProtocol::Samsung32, 7, 2}));
    const QList<int> rows = format == CodeFormat::Mode2 ? QList<int>{20} : QList<int>{20, 21, 30};
    for (int i = 0; i < rows.size(); ++i) {
        IrBlock block = IrBlock::fromField(blocks.at(i));
        block.setNameBytes("KEY" + QByteArray::number(i));
        m_table->setRecNo(rows.at(i));
        m_table->edit();
        m_table->setField(QStringLiteral("IR Data"), block.toByteArray());
        m_table->setField(QStringLiteral("Remark"), QStringLiteral("remark %1").arg(i));
        m_table->post();
    }
    const QString target = path(QStringLiteral("out") + codeFormatInfo(format).extension);
    const CodeExport::Report report = CodeExport::exportToFile(*m_table, CodeExport::rowsHoldingSignal(*m_table),
                                                               format, target, {QStringLiteral("doc")});
    QCOMPARE(report.written, int(rows.size()));

    std::unique_ptr<CodeTable> other;
    openTable(other, QStringLiteral("other.zoq"));
    const IrResult<CodeImport::Source> source = CodeImport::readFile(target);
    QVERIFY2(source.isOk(), qPrintable(source.error()));
    QCOMPARE(source.value().format, format);
    const CodeImport::Plan plan = CodeImport::plan(*other, source.value().file, {}, 1);
    QVERIFY(plan.refused.isEmpty());
    CodeImport::apply(*other, plan);
    const int remark = other->fieldIndex(QStringLiteral("Remark"));
    for (int i = 0; i < rows.size(); ++i) {
        const IrBlock original = IrBlock::fromField(m_table->irDataAt(rows.at(i) - 1));
        const IrBlock imported = IrBlock::fromField(other->irDataAt(i));
        const bool parsed = format == CodeFormat::Flipper && i == 2;
        if (parsed) {
            QCOMPARE(IrDecoder::summary(imported), IrDecoder::summary(original));
        } else {
            const QList<IrTiming> want = IrTiming::capturesOf(original);
            const QList<IrTiming> got = IrTiming::capturesOf(imported);
            QCOMPARE(got.size(), want.size());
            const int gapTicks = format == CodeFormat::Pronto || format == CodeFormat::Csv ? 6 : 0;
            for (int c = 0; c < want.size(); ++c)
                QCOMPARE(FormatSamples::difference(want.at(c), got.at(c), gapTicks, 0), QString());
        }
        if (format != CodeFormat::Mode2) {
            QCOMPARE(other->functionName(i), QStringLiteral("KEY%1").arg(i));
            QCOMPARE(other->valueAt(i, remark).toString(), QStringLiteral("remark %1").arg(i));
        }
    }
}

void TestCodeImport::exportLeavesOutRowsWithoutSignalAndWritesNothingWhenNoKeyFits()
{
    IrBlock block = IrBlockWriter::write({IrTiming(48, QList<IrDuration>(300, {200, 20}))}).value();
    m_table->setRecNo(2);
    m_table->edit();
    m_table->setField(QStringLiteral("IR Data"), block.toByteArray());
    m_table->post();

    const QString written = path(QStringLiteral("out.txt"));
    CodeExport::Report report = CodeExport::exportToFile(*m_table, {1, 2}, CodeFormat::Pronto, written);
    QCOMPARE(report.written, 1);
    QCOMPARE(report.text(),
             QStringLiteral("1 key written to \"%1\" (Pronto Hex).\nLeft out:\nrow 1: it holds no signal")
                 .arg(QDir::toNativeSeparators(written)));
    QVERIFY(QFile::exists(written));

    // An 80 ms gap at a carrier of 1,844,000 Hz needs more periods than a
    // Pronto word holds.
    block = IrBlockWriter::write({IrTiming(1, {{100, 10}, {18432, 10}})}).value();
    m_table->edit();
    m_table->setField(QStringLiteral("IR Data"), block.toByteArray());
    m_table->post();
    const QString target = path(QStringLiteral("none.txt"));
    report = CodeExport::exportToFile(*m_table, {2}, CodeFormat::Pronto, target);
    QCOMPARE(report.written, 0);
    QVERIFY(report.text().startsWith(QStringLiteral("Nothing was written to")));
    QVERIFY(!QFile::exists(target));

    // A folder is not a file to write codes into.
    QVERIFY_THROWS_EXCEPTION(ZoqError, (void)CodeExport::exportToFile(*m_table, {2}, CodeFormat::Mode2, m_dir->path()));
}

QTEST_GUILESS_MAIN(TestCodeImport)
#include "tst_codeimport.moc"
