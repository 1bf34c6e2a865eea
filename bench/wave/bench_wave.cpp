// Times drawWave of a full 512-symbol block at the widest and the normal
// scale and prints the medians.

#include "core/signal/WaveTraces.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Runs = 50;

// 512 symbols over all 16 entries of a remote's typical lengths, with the
// whole second half repeated.
QByteArray fullBlock()
{
    IrBlock block;
    block.set(0, CaptureHeader::MarkerValid);
    block.set(1, 48);
    const auto word = [&block](int at, int value) {
        block.set(at, uchar(value >> 8));
        block.set(at + 1, uchar(value));
    };
    word(4, 256);
    word(6, 512);
    word(8, 512);
    for (int k = 0; k < 16; ++k) {
        word(11 + 4 * k, 60 + 40 * k);
        word(13 + 4 * k, 10 + 3 * k);
    }
    for (int i = IrBlock::SymbolsOffset; i < IrBlock::Size; ++i)
        block.set(i, uchar(i * 37));
    return block.toByteArray();
}

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
    const QByteArray field = fullBlock();
    traces.drawWave(true, true, field);
    traces.drawWave(true, true, field);
    std::printf("drawWave %-28s scale %2d, show time %-3s: median %.3f ms (right end %d)\n", what,
                traces.waveScale(), showTime ? "on" : "off", medianMs(traces, field, zoom),
                traces.traceEnd(0));
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
    return 0;
}
