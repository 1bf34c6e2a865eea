#include "cli/RowOverwrite.h"

#include "core/common/ZoqError.h"
#include "core/document/CodeFromProtocol.h"
#include "core/document/CodeTable.h"

#include <QStringList>

namespace RowOverwrite {

void require(const CodeTable &table, const QList<int> &rows, bool confirmed)
{
    if (confirmed)
        return;
    QStringList held;
    for (const int row : rows) {
        if (!CodeFromProtocol::rowHoldsSignal(table, row))
            continue;
        const QString name = table.functionName(row - 1);
        held.append(name.isEmpty() ? QStringLiteral("row %1").arg(row)
                                   : QStringLiteral("row %1 '%2'").arg(QString::number(row), name));
    }
    if (held.isEmpty())
        return;
    throw ZoqError(QStringLiteral("%1 %2; --yes overwrites %3, nothing was written")
                       .arg(held.join(QStringLiteral(", ")),
                            held.size() == 1 ? QStringLiteral("holds a learned key")
                                             : QStringLiteral("hold learned keys"),
                            held.size() == 1 ? QStringLiteral("it") : QStringLiteral("them")));
}

} // namespace RowOverwrite
