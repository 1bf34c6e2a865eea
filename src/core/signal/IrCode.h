#pragma once

#include "core/signal/IrProtocol.h"

#include <QString>

// A key as a protocol sees it. Address and command are numbers in the
// ranges of IrProtocol.h; toggle counts only for protocols that have one.
// repeats is what a decode saw: frames (or repeat codes) after the first.
struct IrCode
{
    IrProtocol protocol = IrProtocol::Nec;
    quint32 address = 0;
    quint32 command = 0;
    bool toggle = false;
    int repeats = 0;

    // Same key: protocol, address, command, and toggle where it counts.
    [[nodiscard]] bool sameKey(const IrCode &other) const;

    // "NEC 0x04 0x08": name, address and command in hex, each as wide as the
    // protocol's largest value and at least two digits.
    [[nodiscard]] QString text() const;

    // Empty when the code is valid; otherwise what is out of range and why.
    [[nodiscard]] QString error() const;
};
