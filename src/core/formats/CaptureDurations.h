#pragma once

#include "core/formats/TimingNote.h"
#include "core/signal/IrResult.h"
#include "core/signal/IrTiming.h"

#include <QList>

// A capture as the formats write it: marks and spaces in microseconds, first
// a mark. The silence before the first mark (lead-in) and after the last
// (lead-out) are not among them; the repeated part is what a format says
// of it, or the timing note.
class CaptureDurations final
{
public:
    // A repeated part: pulses start to end - 1; (0, 0) for none.
    struct Repeat
    {
        int start = 0;
        int end = 0;

        friend bool operator==(const Repeat &, const Repeat &) = default;
    };

    // Mark, space, ..., mark: 2n - 1 values for n pulses.
    [[nodiscard]] static QList<qint64> of(const IrTiming &capture);

    // The capture of durations read from a file (a last space is dropped: the
    // model keeps no silence after the last mark). The repeated part is the
    // note's when it has one, else native, the part the format itself tells.
    // The lead-in is the note's. Refused when the module cannot hold it.
    [[nodiscard]] static IrResult<IrTiming> capture(int carrierHz, const QList<qint64> &durations, Repeat native,
                                                    const TimingNote &note);

    // The note a writer adds so that capture reads back as it is: its lead-in
    // when there is one, and its repeated part when the reader would infer
    // native instead (a part outside the pulses is left out: no reader could
    // take it).
    [[nodiscard]] static TimingNote noteFor(const IrTiming &capture, Repeat native, bool secondCapture);
};
