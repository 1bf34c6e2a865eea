#include "modsim/IrKey.h"

IrCode IrKey::code() const
{
    IrProtocol sent = protocol;
    if (protocol == IrProtocol::Nec && address > irProtocolInfo(IrProtocol::Nec).addressMax)
        sent = IrProtocol::NecExt;
    else if (protocol == IrProtocol::Nec42 && address > irProtocolInfo(IrProtocol::Nec42).addressMax)
        sent = IrProtocol::Nec42Ext;
    return {sent, address, command};
}

std::optional<IrProtocol> keyProtocolFromName(QStringView name)
{
    if (name.compare(QLatin1StringView("sony"), Qt::CaseInsensitive) == 0)
        return IrProtocol::Sirc;
    return irProtocolFromName(name);
}
