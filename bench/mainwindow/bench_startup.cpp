// Start-up of the main window: construction, settings, port boxes and the
// first New, until the window is shown; then New alone and moving through the
// 512 rows with the arrow key (grid, row-change hook and waveform redraw).
// Run with QT_QPA_PLATFORM=offscreen for figures without a display server.

#include "BenchTiming.h"
#include "core/common/Prompt.h"
#include "gui/mainwindow/DocumentCommands.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/grid/CodeGrid.h"
#include "core/document/CodeTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

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


} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
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
