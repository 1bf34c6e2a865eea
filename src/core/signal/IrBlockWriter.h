#pragma once

#include "core/signal/IrResult.h"
#include "core/signal/IrTiming.h"
#include "core/signal/IrBlock.h"

#include <QList>

// Writes captures into a block laid out as the module writes one: one capture
// makes a Normal block (up to 512 symbols), two make an RC5/RC6 block (up to
// 256 symbols each). Per capture: Marker 'r', CarrierPeriod, RepeatStart,
// RepeatEnd, SymbolCount and the duration table in the order of first use,
// the symbol nibbles (even symbols low); every other byte is zero, the name
// included. When a capture has more than 16 distinct (gap, burst) pairs,
// close ones are merged (DurationMerger); a capture that still does not fit,
// or that breaks a limit of the module, is refused with a message naming the
// limit and by how much it is exceeded.
class IrBlockWriter final
{
public:
    static constexpr int TableEntries = CaptureHeader::DurationCount;

    [[nodiscard]] static IrResult<IrBlock> write(const QList<IrTiming> &captures);
};
