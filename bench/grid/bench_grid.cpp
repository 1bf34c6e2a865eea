// Prints median times of the code grid on a 512-row document shown at the
// main window's start-up size: one repaint of the visible page while paging
// through all rows, selecting all rows in one step, and selecting them the
// way Select All walks the table.
#include "BenchTiming.h"
#include "gui/grid/CodeGrid.h"
#include "core/document/CodeTable.h"
#include "core/document/DocumentStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>

namespace {

constexpr int Runs = 101;
constexpr int PagingPasses = 5;

using BenchTiming::elapsedMs;
using BenchTiming::median;

void report(const QString &what, double ms, qsizetype samples)
{
    BenchTiming::report(what, ms, samples, 4);
}

// Pages down from the top to the bottom, repainting the visible rows after each page.
QList<double> pageThrough(CodeGrid &grid)
{
    QList<double> times;
    QImage canvas(grid.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    QScrollBar *bar = grid.verticalScrollBar();
    for (int pass = 0; pass < PagingPasses; ++pass) {
        bar->setValue(0);
        while (bar->value() < bar->maximum()) {
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            times.append(elapsedMs([&] {
                QPainter painter(&canvas);
                grid.viewport()->render(&painter);
            }));
        }
    }
    return times;
}

QList<double> repeat(const std::function<void()> &prepare, const std::function<void()> &work)
{
    QList<double> times;
    for (int run = 0; run < Runs; ++run) {
        prepare();
        times.append(elapsedMs(work));
    }
    return times;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.zoq"));
    DocumentStore::writeTemplate(path);
    CodeTable table;
    table.open(path);

    CodeGrid grid;
    grid.setTable(&table);
    grid.setIdColumnWidth();
    grid.resize(545, 409);
    grid.show();
    QApplication::processEvents();

    const QList<double> pages = pageThrough(grid);
    report(QStringLiteral("Repaint of one page while paging"), median(pages), pages.size());

    const QList<double> selectAll = repeat([&] { grid.clearSelection(); }, [&] { grid.selectAllRows(); });
    report(QStringLiteral("selectAllRows"), median(selectAll), selectAll.size());

    const QList<double> walk = repeat([&] { grid.clearSelection(); }, [&] {
        table.suspendViews();
        table.first();
        for (int i = 0; i < table.recordCount(); ++i) {
            grid.addCurrentRowToSelection();
            table.next();
        }
        table.resumeViews();
    });
    report(QStringLiteral("Select All through the suspended table"), median(walk), walk.size());
    return 0;
}
