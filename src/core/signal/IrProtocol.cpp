#include "core/signal/IrProtocol.h"

#include <array>

namespace {

using L = QLatin1StringView;

constexpr std::array<IrProtocolInfo, 16> Protocols{{
    {IrProtocol::Nec, L("NEC"), 0xFF, 0, 0xFF, false},
    {IrProtocol::NecExt, L("NECext"), 0xFFFF, 0, 0xFF, false},
    {IrProtocol::Nec42, L("NEC42"), 0x1FFF, 0, 0xFF, false},
    {IrProtocol::Nec42Ext, L("NEC42ext"), 0x3FFFFFF, 0, 0xFF, false},
    {IrProtocol::Samsung32, L("Samsung32"), 0xFF, 0, 0xFF, false},
    {IrProtocol::Sirc, L("SIRC"), 0x1F, 0, 0x7F, false},
    {IrProtocol::Sirc15, L("SIRC15"), 0xFF, 0, 0x7F, false},
    {IrProtocol::Sirc20, L("SIRC20"), 0x1FFF, 0, 0x7F, false},
    {IrProtocol::Rc5, L("RC5"), 0x1F, 0, 0x3F, true},
    {IrProtocol::Rc5x, L("RC5X"), 0x1F, 0x40, 0x7F, true},
    {IrProtocol::Rc6, L("RC6"), 0xFF, 0, 0xFF, true},
    {IrProtocol::Jvc, L("JVC"), 0xFF, 0, 0xFF, false},
    {IrProtocol::Kaseikyo, L("Kaseikyo"), 0xFFFFFFF, 0, 0xFFF, false},
    {IrProtocol::Sharp, L("Sharp"), 0x1F, 0, 0xFF, false},
    {IrProtocol::Denon, L("Denon"), 0x1F, 0, 0xFF, false},
    {IrProtocol::Rca, L("RCA"), 0xF, 0, 0xFF, false},
}};

} // namespace

const IrProtocolInfo &irProtocolInfo(IrProtocol protocol)
{
    return Protocols[size_t(protocol)];
}

QString irProtocolName(IrProtocol protocol)
{
    return irProtocolInfo(protocol).name;
}

std::optional<IrProtocol> irProtocolFromName(QStringView name)
{
    for (const IrProtocolInfo &info : Protocols) {
        if (name.compare(info.name, Qt::CaseInsensitive) == 0)
            return info.protocol;
    }
    return std::nullopt;
}

QList<IrProtocol> allIrProtocols()
{
    QList<IrProtocol> result;
    for (const IrProtocolInfo &info : Protocols)
        result.append(info.protocol);
    return result;
}
