#include "core/document/CodeFromProtocol.h"

#include "core/document/CodeTable.h"
#include "core/document/RowName.h"
#include "core/signal/IrEncoder.h"

namespace CodeFromProtocol {

bool rowHoldsSignal(const CodeTable &table, int row)
{
    return IrBlock::fromField(table.irDataAt(row - 1)).isValid();
}

IrResult<IrBlock> blockFor(const CodeTable &table, const IrCode &code, const QString &name)
{
    QString refusal;
    const std::optional<QByteArray> nameBytes = RowName::bytesFor(table, name, &refusal);
    if (!nameBytes)
        return IrResult<IrBlock>::refused(refusal);
    const IrResult<IrBlock> encoded = IrEncoder::block(code);
    if (!encoded.isOk())
        return encoded;
    IrBlock block = encoded.value();
    block.setNameBytes(*nameBytes);
    return block;
}

void storeInCurrentRow(CodeTable &table, const IrBlock &block)
{
    table.edit();
    table.setField(QStringLiteral("IR Data"), block.toByteArray());
    table.post();
}

} // namespace CodeFromProtocol
