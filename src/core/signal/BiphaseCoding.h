#pragma once

#include "core/signal/FrameCoding.h"

#include <vector>

// Bi-phase (Manchester) frames: a fixed list of cells, each either a fixed
// level (a leader's mark or space) or a bit sent as two halves of opposite
// level. Widths are in units of unitUs. A frame that opens with space cells
// has them in the silence before its first mark, so reading starts at the
// first mark.
//
// Reading assigns each mark or space to one or two consecutive half-cells
// whose total width matches it; where two readings fit (a bit of double
// width next to a normal one), it tries both and keeps the one on which the
// rest of the frame is valid bi-phase.
class BiphaseCoding final : public FrameCoding
{
public:
    struct Cell
    {
        enum class Kind
        {
            Bit,
            Mark,
            Space,
        };
        Kind kind = Kind::Bit;
        int width = 1; // of each half for a bit
    };

    // oneIsMarkFirst: a one is sent as mark then space (else space then mark).
    BiphaseCoding(int unitUs, const QList<Cell> &cells, bool oneIsMarkFirst, qint64 frameGapUs);

    void write(PulseTrain &train, const FrameBits &bits, bool withLead) const override;
    [[nodiscard]] std::optional<ReadFrame> read(const QList<IrTiming::Pulse> &pulses, int at,
                                                bool withLead) const override;

private:
    struct Slot
    {
        int width = 1;
        int bit = -1;       // -1: a fixed level
        bool mark = false;  // the fixed level
        bool second = false; // the second half of its bit
    };

    class Search;

    [[nodiscard]] bool levelOf(const Slot &slot, const FrameBits &bits) const;

    int m_unitUs;
    std::vector<Slot> m_slots;
    int m_firstMarkSlot = 0;
    bool m_oneIsMarkFirst;
    qint64 m_frameGapUs;
};
