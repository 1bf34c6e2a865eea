#pragma once

#include "core/signal/FrameCoding.h"

// Frames whose bits differ in the length of a mark or of a space, in units of
// unitUs: an optional leader (mark, space), then per bit a mark and a space
// (zero and one differ in one of them), then, for pulse-distance codes, a
// closing mark of zeroMark units. Without a closing mark the last bit's
// space is the frame's gap.
class PulseCoding final : public FrameCoding
{
public:
    struct Units
    {
        int mark = 0;
        int space = 0;
    };

    PulseCoding(int unitUs, Units leader, Units zero, Units one, bool closingMark, qint64 frameGapUs);

    void write(PulseTrain &train, const FrameBits &bits, bool withLead) const override;
    [[nodiscard]] std::optional<ReadFrame> read(const QList<IrTiming::Pulse> &pulses, int at,
                                                bool withLead) const override;

private:
    [[nodiscard]] bool ends(const QList<IrTiming::Pulse> &pulses, int i) const;
    [[nodiscard]] bool near(qint64 us, int units) const;

    int m_unitUs;
    Units m_leader;
    Units m_zero;
    Units m_one;
    bool m_closingMark;
    qint64 m_frameGapUs;
};
