#include "core/signal/IrCode.h"

namespace {

[[nodiscard]] int hexDigits(quint32 max)
{
    int digits = 2;
    while (digits < 8 && (max >> (4 * digits)) != 0)
        ++digits;
    return digits;
}

[[nodiscard]] QString hex(quint32 value, quint32 max)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(hexDigits(max), QLatin1Char('0'));
}

// The extended NEC forms carry any address except the one whose second part is
// the inverted first part: that is the plain form's frame.
[[nodiscard]] QString plainFormError(const IrCode &code)
{
    const int half = code.protocol == IrProtocol::NecExt ? 8 : 13;
    const quint32 mask = (1u << half) - 1;
    if ((code.address >> half) != (~code.address & mask))
        return {};
    const IrProtocol plain = code.protocol == IrProtocol::NecExt ? IrProtocol::Nec : IrProtocol::Nec42;
    return QStringLiteral("%1 address %2 is %3's form (second part = inverted first part): it is %3 address %4")
        .arg(irProtocolName(code.protocol), hex(code.address, irProtocolInfo(code.protocol).addressMax),
             irProtocolName(plain), hex(code.address & mask, mask));
}

} // namespace

bool IrCode::sameKey(const IrCode &other) const
{
    return protocol == other.protocol && address == other.address && command == other.command
           && (!irProtocolInfo(protocol).hasToggle || toggle == other.toggle);
}

QString IrCode::text() const
{
    const IrProtocolInfo &info = irProtocolInfo(protocol);
    return QStringLiteral("%1 %2 %3").arg(info.name, hex(address, info.addressMax), hex(command, info.commandMax));
}

QString IrCode::error() const
{
    const IrProtocolInfo &info = irProtocolInfo(protocol);
    if (address > info.addressMax) {
        return QStringLiteral("%1 address %2 is out of range %3..%4")
            .arg(info.name, hex(address, info.addressMax), hex(0, info.addressMax), hex(info.addressMax, info.addressMax));
    }
    if (command < info.commandMin || command > info.commandMax) {
        return QStringLiteral("%1 command %2 is out of range %3..%4")
            .arg(info.name, hex(command, info.commandMax), hex(info.commandMin, info.commandMax),
                 hex(info.commandMax, info.commandMax));
    }
    if (protocol == IrProtocol::NecExt || protocol == IrProtocol::Nec42Ext)
        return plainFormError(*this);
    return {};
}
