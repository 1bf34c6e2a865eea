// A Ctrl+wheel notch on the waveform view as the user turns it: the event,
// the scale step, the redraw of both bands of a full 512-symbol block, the
// scroll to keep the time under the pointer, and the repaint of the view.
// Prints the median per notch. Run with QT_QPA_PLATFORM=offscreen for
// figures without a display server.

#include "BenchTiming.h"
#include "FullWaveBlock.h"
#include "gui/wave/WaveView.h"

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

constexpr int Runs = 60;

void turnWheel(QWidget *viewport, int angle)
{
    const QPoint at(300, 20);
    QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &event);
    viewport->repaint();
}

void report(int scale)
{
    const QByteArray field = fullWaveBlock();
    WaveView view;
    view.resize(756, 121);
    view.show();
    QObject::connect(&view, &WaveView::redrawRequested, &view, [&] { view.drawWave(false, true, field); });
    while (view.traces().waveScale() > scale)
        view.traces().zoomIn();
    view.drawWave(true, true, field);
    view.horizontalScrollBar()->setValue(3000);
    QCoreApplication::processEvents();

    int angle = scale > 1 ? 120 : -120;
    BenchTiming::timeAndReport(qPrintable(QStringLiteral("Ctrl+wheel notch on the view about scale %1, 512 symbols, "
                                                         "repainted")
                                              .arg(scale)),
                               Runs, [&] {
                                   turnWheel(view.viewport(), angle);
                                   angle = -angle;
                               });
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    report(60);
    report(1);
    return 0;
}
