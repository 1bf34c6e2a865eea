#include "core/formats/CodedKey.h"

QString KeyProblem::text() const
{
    QString where = line > 0 ? QStringLiteral("line %1").arg(line) : QStringLiteral("row %1").arg(row);
    if (!name.isEmpty())
        where += QStringLiteral(" '%1'").arg(name);
    return where + QStringLiteral(": ") + reason;
}
