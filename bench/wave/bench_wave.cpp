// Times drawWave of a full 512-symbol block at the widest and the normal
// scale, a wheel-zoom step (the anchor, the scale step and the redraw) and
// saving the picture as PNG and as SVG, and prints the medians.

#include "BenchTiming.h"
#include "FullWaveBlock.h"
#include "core/common/SafeFile.h"
#include "core/signal/WaveGeometry.h"
#include "core/signal/WavePicture.h"
#include "core/signal/WaveTraces.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Runs = 50;

// With zoom, every run first steps to the other of two scales, as a zoom
// button does, so the time axis is drawn anew each time.
double medianMs(WaveTraces &traces, const QByteArray &field, bool zoom)
{
    std::vector<qint64> times;
    for (int run = 0; run < Runs; ++run) {
        if (zoom)
            run % 2 ? traces.zoomOut() : traces.zoomIn();
        QElapsedTimer timer;
        timer.start();
        traces.drawWave(false, true, field);
        times.push_back(timer.nsecsElapsed());
    }
    std::sort(times.begin(), times.end());
    return double(times[times.size() / 2]) / 1e6;
}

void report(const char *what, int scale, bool showTime, bool zoom = false)
{
    WaveTraces traces;
    traces.setScrollBoxWidth(756);
    traces.setRolling(true);
    traces.setShowTime(showTime);
    while (traces.waveScale() > scale)
        traces.zoomIn();
    const QByteArray field = fullWaveBlock();
    traces.drawWave(true, true, field);
    traces.drawWave(true, true, field);
    std::printf("drawWave %-28s scale %2d, show time %-3s: median %.3f ms (right end %d)\n", what,
                traces.waveScale(), showTime ? "on" : "off", medianMs(traces, field, zoom),
                traces.traceEnd(0));
}

WaveTraces tracesAt(int scale, const QByteArray &field)
{
    WaveTraces traces;
    traces.setScrollBoxWidth(756);
    traces.setRolling(true);
    traces.setShowTime(true);
    while (traces.waveScale() > scale)
        traces.zoomIn();
    traces.drawWave(true, true, field);
    traces.drawWave(true, true, field);
    return traces;
}

// One Ctrl+wheel notch at column 300 of the view, in and out by turns: the
// geometry before, the scale step, the redraw of both bands and the anchor.
void reportWheelZoom(int scale)
{
    const QByteArray field = fullWaveBlock();
    WaveTraces traces = tracesAt(scale, field);
    int offset = 3000;
    const int start = traces.waveScale();
    bool in = start > 1;
    BenchTiming::timeAndReport(qPrintable(QStringLiteral("Wheel-zoom step about scale %1, 512 symbols").arg(start)), Runs,
                               [&] {
                                   const WaveGeometry before = traces.geometry(0);
                                   in ? traces.zoomIn() : traces.zoomOut();
                                   traces.drawWave(false, true, field);
                                   offset = WaveGeometry::anchoredOffset(before, traces.geometry(0), offset, 300);
                                   in = !in;
                               });
}

void reportSavePicture(int scale)
{
    QTemporaryDir dir;
    WaveTraces traces = tracesAt(scale, fullWaveBlock());
    const QString png = dir.filePath(QStringLiteral("key.png"));
    const QString svg = dir.filePath(QStringLiteral("key.svg"));
    const QString what = QStringLiteral(", %1 x 100 pixels, scale %2").arg(traces.imageWidth()).arg(traces.waveScale());
    BenchTiming::timeAndReport(qPrintable(QStringLiteral("Save picture as PNG") + what), 20,
                               [&] { SafeFile::write(png, WavePicture::png(traces)); });
    BenchTiming::timeAndReport(qPrintable(QStringLiteral("Save picture as SVG") + what), 20,
                               [&] { SafeFile::write(svg, WavePicture::svg(traces)); });
    std::printf("  file sizes: PNG %lld bytes, SVG %lld bytes\n", QFileInfo(png).size(), QFileInfo(svg).size());
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::printf("%d runs each, both bands drawn\n", Runs);
    report("512 symbols, widest", 1, false);
    report("512 symbols, widest", 1, true);
    report("512 symbols, normal", 60, false);
    report("512 symbols, normal", 60, true);
    report("after zoom 60 <-> 30", 60, true, true);
    reportWheelZoom(60);
    reportWheelZoom(1);
    reportSavePicture(60);
    reportSavePicture(1);
    return 0;
}
