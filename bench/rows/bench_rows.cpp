// Prints the median time of the bulk row commands on a 512-row document with
// the deriving after-post hook attached, as in the main window.
#include "BenchTiming.h"
#include "TestDocument.h"

#include "core/document/CodeTable.h"
#include "core/document/RowClipboard.h"
#include "core/document/RowMoves.h"
#include "core/image/CompiledImage.h"

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

    BenchTiming::timeAndReport("Insert on row 1", Runs, [&] { insertEmptyRow(table, 1); });
    BenchTiming::timeAndReport("Delete on row 1", Runs, [&] { deleteRowContent(table, 1); });

    RowClipboard clipboard;
    QList<int> allRows(512);
    std::iota(allRows.begin(), allRows.end(), 1);
    BenchTiming::timeAndReport("Copy of 512 rows", Runs, [&] { (void)clipboard.copyRows(table, allRows); });
    BenchTiming::timeAndReport("Paste of 512 rows", Runs, [&] {
        table.first();
        (void)clipboard.pasteRows(table);
    });

    const QString image = dir.filePath(QStringLiteral("bench.bin"));
    BenchTiming::timeAndReport("Compile", Runs, [&] { writeImageFile(table, image); });
    const QByteArray bytes = readImageFile(image);
    BenchTiming::timeAndReport("Read image file", Runs, [&] { (void)readImageFile(image); });
    BenchTiming::timeAndReport("Import", Runs, [&] { importImage(table, bytes); });
    return 0;
}
