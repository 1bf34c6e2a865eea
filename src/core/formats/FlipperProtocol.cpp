#include "core/formats/FlipperProtocol.h"

#include <array>

namespace {

using Bytes = std::array<quint32, 6>;
using Result = IrResult<IrCode>;

constexpr std::array<IrProtocol, 13> FlipperProtocols{
    IrProtocol::Nec,    IrProtocol::NecExt,   IrProtocol::Nec42, IrProtocol::Nec42Ext, IrProtocol::Samsung32,
    IrProtocol::Rc6,    IrProtocol::Rc5,      IrProtocol::Rc5x,  IrProtocol::Sirc,     IrProtocol::Sirc15,
    IrProtocol::Sirc20, IrProtocol::Kaseikyo, IrProtocol::Rca,
};

[[nodiscard]] bool isFlipperProtocol(IrProtocol protocol)
{
    return std::find(FlipperProtocols.begin(), FlipperProtocols.end(), protocol) != FlipperProtocols.end();
}

[[nodiscard]] quint32 nibbleXor(quint32 value, int nibbles)
{
    quint32 result = 0;
    for (int i = 0; i < nibbles; ++i)
        result ^= value >> (4 * i) & 0xF;
    return result;
}

// The six bytes of ZOQ's Kaseikyo frame, each sent from its lowest bit:
// manufacturer, its parity nibble and the device, subdevice, function, the
// extra nibble and a check nibble over device, subdevice, function and extra.
[[nodiscard]] Bytes kaseikyoBytes(const IrCode &code)
{
    const quint32 manufacturer = code.address >> 12 & 0xFFFF;
    const quint32 device = code.address >> 8 & 0xF;
    const quint32 subdevice = code.address & 0xFF;
    const quint32 function = code.command & 0xFF;
    const quint32 extra = code.command >> 8 & 0xF;
    const quint32 check = nibbleXor(device | subdevice << 4 | function << 12 | extra << 20, 6);
    return {manufacturer & 0xFF, manufacturer >> 8, nibbleXor(manufacturer, 4) | device << 4,
            subdevice,           function,          extra | check << 4};
}

[[nodiscard]] std::optional<FlipperProtocol::Fields> flipperKaseikyo(const IrCode &code)
{
    const Bytes d = kaseikyoBytes(code);
    if (d[5] != (d[2] ^ d[3] ^ d[4]))
        return std::nullopt;
    const quint32 address = (d[4] >> 6) << 24 | (d[1] << 8 | d[0]) << 8 | (d[2] >> 4) << 4 | (d[3] & 0xF);
    return FlipperProtocol::Fields{QStringLiteral("Kaseikyo"), address, d[3] >> 4 | (d[4] & 0x3F) << 4};
}

Result zoqKaseikyo(quint32 address, quint32 command)
{
    if (address > 0x3FFFFFF || command > 0x3FF) {
        return Result::refused(QStringLiteral("Kaseikyo address 0x%1 or command 0x%2 is out of range "
                                              "(26 and 10 bits)")
                                   .arg(address, 0, 16)
                                   .arg(command, 0, 16));
    }
    const quint32 manufacturer = address >> 8 & 0xFFFF;
    const quint32 device = address >> 4 & 0xF;
    const quint32 d3 = (address & 0xF) | (command & 0xF) << 4;
    const quint32 d4 = (command >> 4 & 0x3F) | (address >> 24) << 6;
    const quint32 d5 = (nibbleXor(manufacturer, 4) | device << 4) ^ d3 ^ d4;
    IrCode code{IrProtocol::Kaseikyo, manufacturer << 12 | device << 8 | d3, (d5 & 0xF) << 8 | d4};
    if (kaseikyoBytes(code)[5] != d5) {
        return Result::refused(QStringLiteral("its Kaseikyo frame ends in a check byte that ZOQ's Kaseikyo does "
                                              "not send (manufacturer 0x%1)")
                                   .arg(manufacturer, 4, 16, QLatin1Char('0')));
    }
    return code;
}

// NECext and NEC42ext: a command of 16 bits as sent, which ZOQ builds only as
// a command byte and its inverse; an address whose halves are inverses is
// the short form.
Result zoqExtended(IrProtocol shortForm, IrProtocol longForm, int halfBits, quint32 address, quint32 command)
{
    const quint32 half = (1u << halfBits) - 1;
    const QString name = irProtocolName(longForm);
    if (address > (half << halfBits | half) || command > 0xFFFF) {
        return Result::refused(QStringLiteral("%1 address 0x%2 or command 0x%3 is out of range (%4 and 16 bits)")
                                   .arg(name)
                                   .arg(address, 0, 16)
                                   .arg(command, 0, 16)
                                   .arg(2 * halfBits));
    }
    const quint32 low = command & 0xFF;
    if (command >> 8 != (~low & 0xFF)) {
        return Result::refused(QStringLiteral("%1 command 0x%2 is not a command byte followed by its inverse, "
                                              "the only form ZOQ builds")
                                   .arg(name)
                                   .arg(command, 4, 16, QLatin1Char('0')));
    }
    if (address >> halfBits == (~address & half))
        return IrCode{shortForm, address & half, low};
    return IrCode{longForm, address, low};
}

} // namespace

std::optional<FlipperProtocol::Fields> FlipperProtocol::fromCode(const IrCode &code)
{
    if (!isFlipperProtocol(code.protocol) || !code.error().isEmpty())
        return std::nullopt;
    const QString name = irProtocolName(code.protocol);
    switch (code.protocol) {
    case IrProtocol::NecExt:
    case IrProtocol::Nec42Ext:
        return Fields{name, code.address, code.command | (~code.command & 0xFF) << 8};
    case IrProtocol::Rc5x:
        return Fields{name, code.address, code.command & 0x3F};
    case IrProtocol::Kaseikyo:
        return flipperKaseikyo(code);
    default:
        return Fields{name, code.address, code.command};
    }
}

IrResult<IrCode> FlipperProtocol::toCode(const Fields &fields)
{
    const std::optional<IrProtocol> protocol = irProtocolFromName(fields.protocol);
    if (!protocol || !isFlipperProtocol(*protocol))
        return Result::refused(QStringLiteral("protocol '%1' is not one ZOQ builds").arg(fields.protocol));
    IrCode code{*protocol, fields.address, fields.command};
    switch (*protocol) {
    case IrProtocol::NecExt:
        return zoqExtended(IrProtocol::Nec, IrProtocol::NecExt, 8, fields.address, fields.command);
    case IrProtocol::Nec42Ext:
        return zoqExtended(IrProtocol::Nec42, IrProtocol::Nec42Ext, 13, fields.address, fields.command);
    case IrProtocol::Kaseikyo:
        return zoqKaseikyo(fields.address, fields.command);
    case IrProtocol::Rc5x:
        if (fields.command > 0x3F)
            return Result::refused(
                QStringLiteral("RC5X command 0x%1 is out of range (6 bits)").arg(fields.command, 0, 16));
        code.command |= 0x40;
        break;
    default:
        break;
    }
    const QString error = code.error();
    if (!error.isEmpty())
        return Result::refused(error);
    return code;
}
