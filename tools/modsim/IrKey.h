#pragma once

#include "core/signal/IrCode.h"

#include <QStringView>

#include <optional>

// The key the user presses on the hand-held remote while the module learns.
struct IrKey
{
    IrProtocol protocol = IrProtocol::Nec;
    quint32 address = 0x04;
    quint32 command = 0x08;

    // What the remote sends: NEC and NEC42 with an address past the plain
    // form's range send the extended form.
    [[nodiscard]] IrCode code() const;
};

// The protocol names of irProtocolFromName, and "sony" for SIRC.
[[nodiscard]] std::optional<IrProtocol> keyProtocolFromName(QStringView name);
