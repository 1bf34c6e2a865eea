#pragma once

#include "core/signal/FrameBits.h"
#include "core/signal/IrTiming.h"
#include "core/signal/PulseTrain.h"

#include <QList>

#include <optional>

// How the bits of one frame become marks and spaces, and back. A frame read
// at a pulse index must end with silence: a space of at least the coding's
// frame gap, or the last space of the capture.
class FrameCoding
{
public:
    virtual ~FrameCoding() = default;

    // withLead: the frame starts with the coding's leader (codings without
    // one ignore it).
    virtual void write(PulseTrain &train, const FrameBits &bits, bool withLead) const = 0;
    [[nodiscard]] virtual std::optional<ReadFrame> read(const QList<IrTiming::Pulse> &pulses, int at,
                                                        bool withLead) const = 0;
};
