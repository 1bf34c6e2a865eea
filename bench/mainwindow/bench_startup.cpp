// Start-up as a user meets it: the program started as a process, alternated
// with a bare Qt Widgets window of the same size started the same way, each
// until its first frame, split into stages (median over the starts), with
// the ratio of the two and their resident memory after start. Then, inside
// this process: construction, settings, port boxes and the first New until
// the window is shown; New alone; moving through the 512 rows with the arrow
// key (grid, row-change hook and waveform redraw).
// Run with QT_QPA_PLATFORM=offscreen for figures without a display server,
// or under X for the figures of a desktop.

#include "BenchTiming.h"
#include "core/common/Prompt.h"
#include "gui/mainwindow/DocumentCommands.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/grid/CodeGrid.h"
#include "core/document/CodeTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <chrono>
#include <memory>

namespace {

// Answers nothing: a run without a module reports its ports, unseen.
class SilentPrompt final : public Prompt
{
public:
    void notice(const QString &, const QString &) override {}
    bool askYesNo(const QString &, const QString &) override { return false; }
    Answer askYesNoCancel(const QString &, const QString &) override { return Answer::No; }
    QString openFileName(const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &) override { return {}; }
};


constexpr int ProcessStarts = 15;

qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The stages of one started process in order, each with the milliseconds
// since the end of the one before (the first since the process was started),
// and its resident memory after its first frame.
struct ProcessStart
{
    QList<std::pair<QString, double>> stages;
    double rssMb = 0;
};

ProcessStart startProcess(const QString &program, const QStringList &arguments)
{
    QProcess process;
    const qint64 started = monotonicNs();
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qFatal("%s did not start and end: %s", qPrintable(program), process.readAllStandardError().constData());
    ProcessStart start;
    qint64 previous = started;
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        // "stage <name of words> <ns>" or "rss <kB>".
        const qsizetype last = line.lastIndexOf(' ');
        if (line.startsWith("stage ") && last > 6) {
            const qint64 at = line.mid(last + 1).toLongLong();
            start.stages.append({QString::fromLatin1(line.mid(6, last - 6)), double(at - previous) / 1e6});
            previous = at;
        } else if (line.startsWith("rss ")) {
            start.rssMb = line.mid(4).toDouble() / 1024;
        }
    }
    return start;
}

double total(const ProcessStart &start)
{
    double ms = 0;
    for (const auto &stage : start.stages)
        ms += stage.second;
    return ms;
}

// Medians per stage, of the whole start and of the memory.
void reportStarts(const QString &what, const QList<ProcessStart> &starts)
{
    QTextStream out(stdout);
    out << what << QStringLiteral(", median of %1 starts:\n").arg(starts.size());
    const QList<std::pair<QString, double>> &order = starts.first().stages;
    for (qsizetype i = 0; i < order.size(); ++i) {
        QList<double> ms;
        for (const ProcessStart &start : starts)
            ms.append(start.stages.value(i).second);
        const QString name = i == 0 ? QStringLiteral("process start and libraries until main") : order[i].first;
        out << QStringLiteral("  %1 %2 ms\n").arg(name + QLatin1Char(':'), -40).arg(BenchTiming::median(ms), 7, 'f', 1);
    }
}

QList<double> totals(const QList<ProcessStart> &starts)
{
    QList<double> ms;
    for (const ProcessStart &start : starts)
        ms.append(total(start));
    return ms;
}

QList<double> memories(const QList<ProcessStart> &starts)
{
    QList<double> mb;
    for (const ProcessStart &start : starts)
        mb.append(start.rssMb);
    return mb;
}

void compareWithBareWindow()
{
    const QString bin = QCoreApplication::applicationDirPath();
    const QString program = bin + QStringLiteral("/bench_startup_zoq");
    const QString bare = bin + QStringLiteral("/bench_startup_bare");
    QTemporaryDir folder;
    const QStringList programArguments{folder.path()};
    // One start of each first, so both find the libraries in the page cache.
    (void)startProcess(program, programArguments);
    (void)startProcess(bare, {});
    QList<ProcessStart> programStarts, bareStarts;
    for (int i = 0; i < ProcessStarts; ++i) {
        programStarts.append(startProcess(program, programArguments));
        bareStarts.append(startProcess(bare, {}));
    }
    reportStarts(QStringLiteral("ZOQ started until its first frame"), programStarts);
    reportStarts(QStringLiteral("Bare Qt window started until its first frame"), bareStarts);
    const double programMs = BenchTiming::median(totals(programStarts));
    const double bareMs = BenchTiming::median(totals(bareStarts));
    const double programMb = BenchTiming::median(memories(programStarts));
    const double bareMb = BenchTiming::median(memories(bareStarts));
    QTextStream(stdout) << QStringLiteral("Start to first frame: ZOQ %1 ms, bare window %2 ms, ratio %3 (aim: at most 1.2)\n")
                               .arg(programMs, 0, 'f', 1)
                               .arg(bareMs, 0, 'f', 1)
                               .arg(programMs / bareMs, 0, 'f', 2)
                        << QStringLiteral("Resident memory after start: ZOQ %1 MB, bare window %2 MB, ratio %3 (aim: at "
                                          "most 1.5)\n")
                               .arg(programMb, 0, 'f', 1)
                               .arg(bareMb, 0, 'f', 1)
                               .arg(programMb / bareMb, 0, 'f', 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    compareWithBareWindow();

    QTemporaryDir dir;
    SilentPrompt prompt;
    constexpr int Runs = 15;

    QList<double> startup, newDocument, arrowPass;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        auto window = std::make_unique<MainWindow>(prompt, dir.path());
        window->start();
        window->show();
        QCoreApplication::processEvents();
        startup.append(clock.nsecsElapsed() / 1e6);

        clock.restart();
        window->documentCommands().newDocument();
        QCoreApplication::processEvents();
        newDocument.append(clock.nsecsElapsed() / 1e6);

        window->grid().setFocus();
        clock.restart();
        for (int row = 1; row < 512; ++row)
            QTest::keyClick(&window->grid(), Qt::Key_Down);
        QCoreApplication::processEvents();
        arrowPass.append(clock.nsecsElapsed() / 1e6 / 511);
    }
    QTextStream(stdout) << QStringLiteral("Cold start to the window shown (first of the process): %1 ms\n")
                               .arg(startup.first(), 0, 'f', 2);
    BenchTiming::report(QStringLiteral("Start-up to the window shown"), BenchTiming::median(startup), Runs, 2);
    BenchTiming::report(QStringLiteral("New"), BenchTiming::median(newDocument), Runs, 2);
    BenchTiming::report(QStringLiteral("Down arrow through 512 rows, per row"), BenchTiming::median(arrowPass), Runs);
    return 0;
}
