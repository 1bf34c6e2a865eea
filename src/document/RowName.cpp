#include "document/RowName.h"

#include "document/CodeTable.h"
#include "irsignal/TIRDataBlock.h"

namespace RowName {

std::optional<QByteArray> bytesFor(const CodeTable &table, const QString &text, QString *refusal)
{
    const QByteArray current = TIRDataBlock::nameBytesOfField(table.irData());
    return table.nameEncoding().encodeKeeping(text, current, TIRDataBlock::NameLength, refusal);
}

bool renameCurrentRow(CodeTable &table, const QString &name, QString *refusal)
{
    const std::optional<QByteArray> bytes = bytesFor(table, name, refusal);
    if (!bytes)
        return false;
    TIRDataBlock block = TIRDataBlock::fromField(table.irData());
    block.setNameBytes(*bytes);
    table.edit();
    table.setField(QStringLiteral("IR Data"), block.toByteArray());
    table.setField(QStringLiteral("Function"), name);
    table.post();
    return true;
}

} // namespace RowName
