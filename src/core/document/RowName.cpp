#include "core/document/RowName.h"

#include "core/document/CodeTable.h"
#include "core/signal/IrBlock.h"

namespace RowName {

std::optional<QByteArray> bytesFor(const CodeTable &table, const QString &text, QString *refusal)
{
    const QByteArray current = IrBlock::nameBytesOfField(table.irData());
    return table.nameEncoding().encodeKeeping(text, current, IrBlock::NameLength, refusal);
}

bool renameCurrentRow(CodeTable &table, const QString &name, QString *refusal)
{
    const std::optional<QByteArray> bytes = bytesFor(table, name, refusal);
    if (!bytes)
        return false;
    IrBlock block = IrBlock::fromField(table.irData());
    block.setNameBytes(*bytes);
    table.edit();
    table.setField(QStringLiteral("IR Data"), block.toByteArray());
    table.setField(QStringLiteral("Function"), name);
    table.post();
    return true;
}

} // namespace RowName
