#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Remote-control protocols the simulated module can "see" when it learns.
enum class IrProtocol
{
    Nec,
    Sony,
    Rc5,
    Rc6,
};

// The key the user presses on the hand-held remote while the module learns.
struct IrKey
{
    IrProtocol protocol = IrProtocol::Nec;
    quint16 address = 0x04;
    quint16 command = 0x08;
};

// "nec", "sony", "rc5", "rc6" (any case).
[[nodiscard]] std::optional<IrProtocol> irProtocolFromName(QStringView name);
[[nodiscard]] QString irProtocolName(IrProtocol protocol);
