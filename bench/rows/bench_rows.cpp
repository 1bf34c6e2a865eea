// Prints the median time of the bulk row commands on a 512-row document with
// the deriving after-post hook attached, as in the main window.
#include "BenchTiming.h"
#include "TestDocument.h"

#include "document/CodeTable.h"
#include "document/RowClipboard.h"
#include "document/RowMoves.h"
#include "image/CompiledImage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QList>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <numeric>

namespace {

constexpr int Runs = 21;

double medianMs(const std::function<void()> &work)
{
    return BenchTiming::medianMs(Runs, work);
}

void report(const char *what, double ms)
{
    BenchTiming::report(QLatin1String(what), ms, Runs);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString document = dir.filePath(QStringLiteral("bench.zoq"));
    TestDocument::write(document, 512, TestDocument::Content::Distinct);
    CodeTable table;
    table.open(document);
    TestDocument::HookCounts counts;
    TestDocument::attachHooks(table, counts);

    report("Insert on row 1", medianMs([&] { insertEmptyRow(table, 1); }));
    report("Delete on row 1", medianMs([&] { deleteRow(table, 1); }));

    RowClipboard clipboard;
    QList<int> allRows(512);
    std::iota(allRows.begin(), allRows.end(), 1);
    report("Copy of 512 rows", medianMs([&] { (void)clipboard.copyRows(table, allRows); }));
    report("Paste of 512 rows", medianMs([&] {
        table.first();
        (void)clipboard.pasteRows(table);
    }));

    const QString image = dir.filePath(QStringLiteral("bench.bin"));
    report("Compile", medianMs([&] { compileImage(table, image); }));
    const QByteArray bytes = readImageFile(image);
    report("Read image file", medianMs([&] { (void)readImageFile(image); }));
    report("Import", medianMs([&] { importImage(table, bytes); }));
    return 0;
}
