#include "core/image/ImageSlots.h"

#include "core/document/CodeTable.h"
#include "core/signal/IrBlock.h"

namespace {
constexpr int NameEnd = IrBlock::NameOffset + IrBlock::NameLength;
}

QByteArray slotFromField(const QByteArray &field)
{
    return IrBlock::fromField(field, 0xFF).toByteArray();
}

void storeSlot(CodeTable &table, const QByteArray &slot)
{
    IrBlock block = IrBlock::fromField(slot, 0xFF);
    block.set(NameEnd, 0);
    table.edit();
    table.setField(QStringLiteral("Function"), table.nameEncoding().decode(block.nameBytes()));
    table.setField(QStringLiteral("IR Data"), block.toByteArray());
    table.post();
}
