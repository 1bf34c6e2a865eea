// Start-up of the main window: construction, settings, port boxes and the
// first New, until the window is shown; then New alone and moving through the
// 512 rows with the arrow key (grid, after-scroll hook and waveform redraw).
// Run with QT_QPA_PLATFORM=offscreen for figures without a display server.

#include "app/TForm1.h"
#include "document/CodeGrid.h"
#include "document/CodeTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

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

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void report(const char *what, const std::vector<double> &ms)
{
    std::printf("%-44s median %8.2f ms   min %8.2f ms   (%zu runs)\n", what, median(ms),
                *std::min_element(ms.begin(), ms.end()), ms.size());
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    SilentPrompt prompt;
    constexpr int Runs = 15;

    std::vector<double> startup, newDocument, arrowPass;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        auto form = std::make_unique<TForm1>(prompt, dir.path());
        form->FormCreate();
        form->show();
        QCoreApplication::processEvents();
        startup.push_back(clock.nsecsElapsed() / 1e6);

        clock.restart();
        form->NewExecute();
        QCoreApplication::processEvents();
        newDocument.push_back(clock.nsecsElapsed() / 1e6);

        form->grid().setFocus();
        clock.restart();
        for (int row = 1; row < 512; ++row)
            QTest::keyClick(&form->grid(), Qt::Key_Down);
        QCoreApplication::processEvents();
        arrowPass.push_back(clock.nsecsElapsed() / 1e6 / 511);
    }
    std::printf("%-44s %8.2f ms\n", "cold start (first window of the process)", startup.front());
    report("start-up to the window shown (first New)", startup);
    report("New", newDocument);
    report("Down arrow through 512 rows, per row", arrowPass);
    return 0;
}
