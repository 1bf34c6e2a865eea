#pragma once

#include "core/signal/IrCode.h"
#include "core/signal/IrResult.h"
#include "core/signal/IrTiming.h"
#include "core/signal/IrBlock.h"

#include <QList>

// Codes from protocol parameters. A capture holds the key press (its frames)
// and one repetition as the repeated part. Protocols with a toggle give two
// captures, the code's toggle first and then the other value, which make an
// RC5/RC6 block; the others give one capture and a Normal block.
class IrEncoder final
{
public:
    // Refused with IrCode::error() when the code is out of range.
    [[nodiscard]] static IrResult<QList<IrTiming>> timings(const IrCode &code);
    [[nodiscard]] static IrResult<IrBlock> block(const IrCode &code);
};
