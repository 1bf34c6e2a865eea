// Prints the median time of exporting and importing the 512 keys of a full
// document in each code format: rows to file bytes, bytes to keys and blocks
// into the rows (with the deriving after-post hook, as in the main window),
// and the whole export through the safe writer. mode2 holds one key per
// file: its figures are for 512 files.
#include "BenchTiming.h"
#include "FormatSamples.h"
#include "TestDocument.h"

#include "core/document/CodeTable.h"
#include "core/formats/CodeExport.h"
#include "core/formats/CodeImport.h"
#include "core/signal/IrBlockWriter.h"
#include "core/signal/IrEncoder.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <numeric>

namespace {

constexpr int Runs = 15;
constexpr int Rows = 512;

// Every fourth row a protocol code, every fifth an RC5/RC6 block of learned
// captures, the others learned captures of 40 to 100 symbols.
QByteArray rowBlock(int row, QRandomGenerator &random)
{
    if (row % 4 == 0)
        return IrEncoder::block({IrProtocol::Nec, quint32(row % 256), quint32(row / 2 % 256)}).value().toByteArray();
    QList<IrTiming> captures{FormatSamples::learnedCapture({48, 40 + row % 60, 30, 40 + row % 60, 0}, random)};
    if (row % 5 == 0)
        captures.append(FormatSamples::learnedCapture({51, 60, 0, 0, 0}, random));
    return IrBlockWriter::write(captures).value().toByteArray();
}

void fill(CodeTable &table)
{
    QRandomGenerator random(1);
    for (int row = 1; row <= Rows; ++row) {
        IrBlock block = IrBlock::fromField(rowBlock(row, random));
        block.setNameBytes("KEY_" + QByteArray::number(row));
        table.setRecNo(row);
        table.edit();
        table.setField(QStringLiteral("IR Data"), block.toByteArray());
        table.setField(QStringLiteral("Remark"), QStringLiteral("row %1").arg(row));
        table.post();
    }
}

QList<QByteArray> exportBytes(const CodeTable &table, const QList<int> &rows, CodeFormat format)
{
    QList<KeyProblem> leftOut;
    const QList<CodedKey> keys = CodeExport::keysOf(table, rows, &leftOut);
    if (format != CodeFormat::Mode2)
        return {writeCodes(format, keys, {QStringLiteral("bench")}).bytes};
    QList<QByteArray> files;
    for (const CodedKey &key : keys)
        files.append(writeCodes(format, {key}).bytes);
    return files;
}

void import(CodeTable &table, const QList<QByteArray> &files, CodeFormat format)
{
    int row = 1;
    for (const QByteArray &bytes : files) {
        const IrResult<CodeFile> file = readCodes(format, bytes);
        if (!file.isOk())
            qFatal("%s", qPrintable(file.error()));
        const CodeImport::Plan plan = CodeImport::plan(table, file.value(), {}, row);
        row += int(plan.placements.size());
        CodeImport::apply(table, plan);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString document = dir.filePath(QStringLiteral("bench.zoq"));
    const QString target = dir.filePath(QStringLiteral("target.zoq"));
    TestDocument::write(document, Rows, TestDocument::Content::Template);
    TestDocument::write(target, Rows, TestDocument::Content::Template);
    CodeTable table;
    table.open(document);
    CodeTable into;
    into.open(target);
    TestDocument::HookCounts counts;
    TestDocument::attachHooks(table, counts);
    TestDocument::attachHooks(into, counts);
    fill(table);

    QList<int> rows(Rows);
    std::iota(rows.begin(), rows.end(), 1);
    for (const CodeFormat format : allCodeFormats()) {
        const QString name = codeFormatInfo(format).title;
        const QList<QByteArray> files = exportBytes(table, rows, format);
        const qsizetype size = std::accumulate(files.cbegin(), files.cend(), qsizetype(0),
                                               [](qsizetype sum, const QByteArray &b) { return sum + b.size(); });
        BenchTiming::report(QStringLiteral("%1: export of 512 keys to bytes (%2 bytes)").arg(name).arg(size),
                            BenchTiming::medianMs(Runs, [&] { (void)exportBytes(table, rows, format); }), Runs);
        BenchTiming::report(QStringLiteral("%1: import of 512 keys into the rows").arg(name),
                            BenchTiming::medianMs(Runs, [&] { import(into, files, format); }), Runs);
        if (format == CodeFormat::Mode2)
            continue;
        const QString path = dir.filePath(QStringLiteral("codes") + codeFormatInfo(format).extension);
        BenchTiming::report(
            QStringLiteral("%1: export of 512 keys to a file, synced").arg(name),
            BenchTiming::medianMs(Runs, [&] { (void)CodeExport::exportToFile(table, rows, format, path); }), Runs);
        BenchTiming::report(
            QStringLiteral("%1: import of 512 keys from a file").arg(name),
            BenchTiming::medianMs(Runs,
                                  [&] {
                                      const IrResult<CodeImport::Source> source = CodeImport::readFile(path);
                                      CodeImport::apply(into, CodeImport::plan(into, source.value().file, {}, 1));
                                  }),
            Runs);
    }
    return 0;
}
