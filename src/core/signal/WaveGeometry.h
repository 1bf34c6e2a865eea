#pragma once

#include "core/signal/CaptureHeader.h"
#include "core/signal/IrBlock.h"

#include <QList>
#include <QString>

// One gap or burst of a trace, where and how long the waveform draws it.
struct WaveSegment
{
    int symbol = 0;
    int entry = 0;          // of the duration table
    IrDuration duration;    // the entry's counts
    bool burst = false;     // false: a gap
    bool repeated = false;  // the symbol lies in the repeated part
    bool repetition = false; // drawn again after the signal, for its repeated part
    qint64 micros = 0;
    qint64 startMicros = 0; // from the start of the trace
    int x = 0;              // left pixel
    qint64 pixels = 0;      // width before the cut at the strip's right edge

    // The first pixel right of the segment as drawn.
    [[nodiscard]] int right() const;
};

// Where each gap and burst of a trace lies at one scale, with the drawing
// arithmetic of WaveRenderer: the main pass over symbols 0 to SymbolCount - 1,
// then the repeat pass over RepeatStart to RepeatEnd - 1, every width rounded
// on its own, nothing past the strip's right edge. It answers what lies under
// a pixel, the time at a pixel and the pixel of a time, so the view reads
// durations and keeps the time under the pointer while it zooms.
//
// Times run through the segments in drawing order (the repetition after the
// signal) and on at waveScale microseconds per pixel outside them.
class WaveGeometry final
{
public:
    // No signal: times are waveScale microseconds per pixel.
    explicit WaveGeometry(int waveScale = 60);
    WaveGeometry(const IrBlock &block, int waveScale);

    [[nodiscard]] bool hasSignal() const { return m_hasSignal; }
    [[nodiscard]] int waveScale() const { return m_scale; }
    [[nodiscard]] const QList<WaveSegment> &segments() const { return m_segments; }
    // x after the last segment: where the low level runs on to the right edge.
    [[nodiscard]] int signalEnd() const { return m_signalEnd; }
    [[nodiscard]] qint64 signalMicros() const { return m_signalMicros; }

    // The segment drawn over pixel column x, or none.
    [[nodiscard]] const WaveSegment *segmentAt(int x) const;
    [[nodiscard]] double microsAt(double x) const;
    [[nodiscard]] double xAt(double micros) const;
    // Bursts whose rising edge lies in columns from..to (either order).
    [[nodiscard]] int burstsBetween(int from, int to) const;

    // The scroll offset that keeps the time under viewport column pointerX
    // (over offset at the scale of before) in the same column at the scale of
    // after; the caller clamps it to the scroll range.
    [[nodiscard]] static int anchoredOffset(const WaveGeometry &before, const WaveGeometry &after, int offset,
                                            int pointerX);

    // "Burst 546 µs", the symbol and its duration entry, and the repeated part.
    [[nodiscard]] static QString segmentText(const WaveSegment &segment);
    // Time and bursts between two columns: "1250 µs (1.250 ms), 3 bursts".
    [[nodiscard]] QString measureText(int from, int to) const;

private:
    void addPass(const IrBlock &block, int first, int end, bool repetition);

    int m_scale = 60;
    bool m_hasSignal = false;
    QList<WaveSegment> m_segments;
    int m_signalEnd = 0;
    qint64 m_signalMicros = 0;
    int m_repeatStart = 0;
    int m_repeatEnd = 0;
};
