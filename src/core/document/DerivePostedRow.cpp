#include "core/document/DerivePostedRow.h"

#include "core/document/CodeTable.h"
#include "core/signal/DerivedFields.h"

#include <QScopeGuard>

void derivePostedRow(CodeTable &table)
{
    const CodeTable::Hook hook = table.afterPost();
    table.setAfterPost({});
    const auto reattach = qScopeGuard([&table, &hook] { table.setAfterPost(hook); });

    // Resolved before edit() so that a document lacking a field stays out of edit mode.
    const int carry = table.fieldIndex(QStringLiteral("Carry"));
    const int format = table.fieldIndex(QStringLiteral("Format"));
    const int function = table.fieldIndex(QStringLiteral("Function"));
    const DerivedFields fields = deriveFields(table.irData(), table.nameEncoding());

    table.edit();
    table.setField(carry, fields.carry);
    table.setField(format, fields.format);
    table.setField(function, fields.function);
    table.post();
}
