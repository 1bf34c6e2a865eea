#pragma once

#include "core/signal/IrCode.h"
#include "core/signal/IrTiming.h"
#include "core/signal/IrBlock.h"

#include <QString>

#include <optional>

// What a block holds, as far as the decoders can tell.
struct IrDecode
{
    enum class Kind
    {
        Empty,
        Raw,
        Code,
    };

    Kind kind = Kind::Empty;
    IrCode code;                // with Kind::Code
    bool bothToggles = false;   // an RC5/RC6 block whose captures hold both toggle values
    int carrierHz = 0;          // of the first capture
    int durationCount = 0;      // marks and spaces of the first capture

    // "NEC 0x04 0x08"; a protocol with a toggle adds " T0" or " T1" when the
    // block holds one toggle value (a Normal block, or two captures with the
    // same toggle), nothing when it holds both. A signal no decoder takes:
    // "raw 38 kHz, 67 durations" (kHz rounded; "raw no carrier, ..." without
    // one). Empty for an empty slot.
    [[nodiscard]] QString summary() const;
};

// Decoding: a capture is a protocol's key when its first frame is one and
// every later frame repeats it (the same frame again, or the protocol's
// repeat code); anything else is raw. Frames are read with the tolerance of
// IrTolerance.h, and check bits (inverted bytes, parity) must hold.
class IrDecoder final
{
public:
    [[nodiscard]] static std::optional<IrCode> decode(const IrTiming &capture);
    // An RC5/RC6 block decodes when both captures are the same key (their
    // toggle may differ); the code then has the first capture's toggle.
    [[nodiscard]] static IrDecode decode(const IrBlock &block);
    [[nodiscard]] static QString summary(const IrBlock &block);
};
