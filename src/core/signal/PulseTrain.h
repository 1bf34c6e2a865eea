#pragma once

#include "core/signal/IrResult.h"
#include "core/signal/IrTiming.h"

#include <QList>

// Builds a key press in microseconds, frame by frame: marks and spaces in the
// order sent, neighbours of one kind joined. Silence before the first mark is
// not kept (the capture starts at the first mark).
class PulseTrain final
{
public:
    void mark(qint64 us);
    void space(qint64 us);

    // A frame starts now; endFrame pads it with silence to periodUs after
    // that start (0: no period), and with at least minSilenceUs.
    void startFrame();
    void endFrame(qint64 periodUs, qint64 minSilenceUs);
    // The next mark opens the part a held key repeats; it runs to the end.
    void startRepeat();

    [[nodiscard]] IrResult<IrTiming> timing(int carrierHz) const;

private:
    QList<IrTiming::Pulse> m_pulses;
    qint64 m_elapsedUs = 0;
    qint64 m_frameStartUs = 0;
    bool m_repeatPending = false;
    int m_repeatStart = -1;
};
