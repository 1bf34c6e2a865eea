// Prints the median time of the document life cycle on a 512-row document:
// New, Open, Save under a new name, and Save onto the document's own path
// after a change to every row (with the deriving after-post hook attached).
#include "BenchTiming.h"
#include "core/document/CodeTable.h"
#include "core/document/DerivePostedRow.h"
#include "core/document/DocumentStore.h"
#include "core/signal/IrBlock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QList>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>

namespace {

constexpr int Runs = 21;

// A learned-looking block whose name and carrier differ per row and per pass.
QByteArray blockFor(int row, int pass)
{
    IrBlock block = IrBlock::filled(uchar(row + pass));
    block.set(0, 'r');
    block.set(1, uchar(30 + (row + pass) % 40));
    block.set(128, 0);
    block.setNameBytes(QStringLiteral("KEY%1-%2").arg(row).arg(pass).toLatin1());
    return block.toByteArray();
}

void changeEveryRow(CodeTable &table, int pass)
{
    table.first();
    for (int row = 0; row < table.recordCount(); ++row) {
        table.edit();
        table.setField(QStringLiteral("IR Data"), blockFor(row, pass));
        table.post();
        table.next();
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString working = dir.filePath(QStringLiteral("Temp.~tmp"));
    CodeTable table;

    BenchTiming::timeAndReport("New (write template + open)", Runs, [&] {
        table.close();
        DocumentStore::writeTemplate(working);
        table.open(working);
    });

    const QString document = dir.filePath(QStringLiteral("bench.zoq"));
    table.setAfterPost([&table] { derivePostedRow(table); });
    changeEveryRow(table, 0);
    DocumentStore::saveAs(table, document, {});
    BenchTiming::timeAndReport("Open of a 512-row document", Runs, [&] { table.open(document); });

    const QString copy = dir.filePath(QStringLiteral("copy.zoq"));
    BenchTiming::timeAndReport("Save under a new name", Runs, [&] { DocumentStore::saveAs(table, copy, [](int) {}); });

    int pass = 0;
    BenchTiming::timeAndReport("Edit and post of 512 rows", Runs, [&] { changeEveryRow(table, ++pass); });
    BenchTiming::timeAndReport("Save onto own path after 512 changed rows", Runs, [&] {
        changeEveryRow(table, ++pass);
        table.updateBatch();
    });
    return 0;
}
