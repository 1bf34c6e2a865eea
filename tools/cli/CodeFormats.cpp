#include "cli/CodeFormats.h"

#include "core/common/ZoqError.h"

namespace {

// Stands in until the code formats of the core are linked in: every use says so.
class MissingCodeFormats final : public CodeFormats
{
public:
    QByteArray exportRows(const CodeTable &, const QList<int> &, const QString &) const override { missing(); }
    QList<Code> importCodes(const QByteArray &, const QString &) const override { missing(); }

private:
    [[noreturn]] static void missing()
    {
        throw ZoqError(QStringLiteral("the code formats are not part of this build"));
    }
};

} // namespace

QStringList CodeFormats::names()
{
    return {QStringLiteral("pronto"), QStringLiteral("flipper"), QStringLiteral("lirc"), QStringLiteral("mode2"),
            QStringLiteral("csv")};
}

std::unique_ptr<CodeFormats> makeCodeFormats()
{
    return std::make_unique<MissingCodeFormats>();
}
