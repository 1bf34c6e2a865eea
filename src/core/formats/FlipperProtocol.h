#pragma once

#include "core/signal/IrCode.h"
#include "core/signal/IrResult.h"

#include <QString>

#include <optional>

// Protocol codes as Flipper's "type: parsed" signals hold them: the protocol
// name and two 32-bit numbers whose meaning is Flipper's own. Where it
// differs from ZOQ's (IrProtocol.h):
//   NECext, NEC42ext  command 16 bits as sent: ZOQ's command and its inverse
//                     (a frame whose address bytes are inverses is NEC/NEC42)
//   RC5X              command 6 bits; ZOQ's is the same plus 0x40
//   Kaseikyo          address = id << 24 | manufacturer << 8 | device << 4 |
//                     low 4 bits of subdevice, command 10 bits; the frame ends
//                     in the exclusive-or of bytes 2 to 4
// Names are Flipper's; ZOQ's JVC, Sharp and Denon have none there.
class FlipperProtocol final
{
public:
    struct Fields
    {
        QString protocol;
        quint32 address = 0;
        quint32 command = 0;

        friend bool operator==(const Fields &, const Fields &) = default;
    };

    // Flipper's fields for code; none when Flipper does not send the same
    // frames for any of its codes.
    [[nodiscard]] static std::optional<Fields> fromCode(const IrCode &code);
    // The code Flipper's fields stand for; refused when ZOQ does not build
    // that protocol or those frames.
    [[nodiscard]] static IrResult<IrCode> toCode(const Fields &fields);
};
