// Prints the median time of undoing and redoing the largest steps, a Paste of
// 512 rows and an Up Load of 512 slots, on a 512-row document with the
// deriving after-post hook of the document attached, as in the main window;
// and what recording costs an Up Load.
#include "BenchTiming.h"
#include "TestDocument.h"
#include "support/ScriptedPrompt.h"

#include "core/document/CodeTable.h"
#include "core/document/Document.h"
#include "core/document/RowClipboard.h"
#include "core/document/TableWalkGuard.h"
#include "core/document/UndoHistory.h"
#include "core/image/ImageSlots.h"

#include <QCoreApplication>
#include <QList>
#include <QTemporaryDir>

#include <numeric>

namespace {

constexpr int Runs = 21;

// The slots of an upload: 512 distinct learned blocks.
QList<QByteArray> moduleSlots(int seed)
{
    QList<QByteArray> blocks;
    for (int slot = 0; slot < 512; ++slot)
        blocks.append(TestDocument::distinctBlock(seed + slot));
    return blocks;
}

// Stores the slots as the upload does: the row-change hook detached and the
// views suspended for the walk, each slot posted and derived.
void storeUploadedSlots(CodeTable &table, const QList<QByteArray> &blocks)
{
    const TableWalkGuard walk(table, TableWalkGuard::AfterRowChange | TableWalkGuard::Views);
    for (qsizetype slot = 0; slot < blocks.size(); ++slot) {
        table.setRecNo(int(slot) + 1);
        storeSlot(table, blocks.at(slot));
    }
    table.first();
}

// Times undo and redo of the step on top of the history, alternately.
void timeUndoAndRedo(const char *what, UndoHistory &history)
{
    QList<double> undoTimes;
    QList<double> redoTimes;
    for (int run = 0; run < Runs; ++run) {
        undoTimes.append(BenchTiming::elapsedMs([&] { history.undo(); }));
        redoTimes.append(BenchTiming::elapsedMs([&] { history.redo(); }));
    }
    BenchTiming::report(QStringLiteral("Undo of %1").arg(QLatin1String(what)), BenchTiming::median(undoTimes), Runs);
    BenchTiming::report(QStringLiteral("Redo of %1").arg(QLatin1String(what)), BenchTiming::median(redoTimes), Runs);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.zoq"));
    TestDocument::write(path, 512, TestDocument::Content::Distinct);
    ScriptedPrompt prompt;
    CodeTable table;
    Document document(table, prompt, dir.filePath(QStringLiteral("Temp.~tmp")));
    document.open(path);
    UndoHistory &history = document.history();

    RowClipboard clipboard;
    QList<int> allRows(512);
    std::iota(allRows.begin(), allRows.end(), 1);
    (void)clipboard.copyRows(table, allRows);
    table.first();
    history.record(QStringLiteral("Paste"), [&] { (void)clipboard.pasteRows(table); });
    timeUndoAndRedo("a Paste of 512 rows", history);

    const QList<QByteArray> upload = moduleSlots(1000);
    history.record(QStringLiteral("Up Load"), [&] { storeUploadedSlots(table, upload); });
    timeUndoAndRedo("an Up Load of 512 slots", history);

    // Every run stores other slots, so that every run changes all rows.
    const QList<QByteArray> other = moduleSlots(5000);
    int run = 0;
    BenchTiming::timeAndReport("Up Load of 512 slots, not recorded", Runs,
                               [&] { storeUploadedSlots(table, ++run % 2 ? other : upload); });
    BenchTiming::timeAndReport("Up Load of 512 slots, recorded as one step", Runs, [&] {
        history.record(QStringLiteral("Up Load"), [&] { storeUploadedSlots(table, ++run % 2 ? other : upload); });
    });
    return 0;
}
