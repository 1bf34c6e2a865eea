#include "modsim/IrKey.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<IrProtocol, QLatin1StringView>, 4> ProtocolNames{{
    {IrProtocol::Nec, QLatin1StringView("nec")},
    {IrProtocol::Sony, QLatin1StringView("sony")},
    {IrProtocol::Rc5, QLatin1StringView("rc5")},
    {IrProtocol::Rc6, QLatin1StringView("rc6")},
}};

} // namespace

std::optional<IrProtocol> irProtocolFromName(QStringView name)
{
    for (const auto &[protocol, text] : ProtocolNames) {
        if (name.compare(text, Qt::CaseInsensitive) == 0)
            return protocol;
    }
    return std::nullopt;
}

QString irProtocolName(IrProtocol protocol)
{
    for (const auto &[candidate, text] : ProtocolNames) {
        if (candidate == protocol)
            return text;
    }
    return {};
}
