#include "image/ImageSlots.h"

#include "document/CodeTable.h"
#include "irsignal/TIRDataBlock.h"

namespace {
constexpr int NameEnd = TIRDataBlock::NameOffset + TIRDataBlock::NameLength;
}

QByteArray slotFromField(const QByteArray &field)
{
    return TIRDataBlock::fromField(field, 0xFF).toByteArray();
}

void storeSlot(CodeTable &table, const QByteArray &slot)
{
    TIRDataBlock block = TIRDataBlock::fromField(slot, 0xFF);
    block.set(NameEnd, 0);
    table.edit();
    table.setField(QStringLiteral("Function"), table.nameEncoding().decode(block.nameBytes()));
    table.setField(QStringLiteral("IR Data"), block.toByteArray());
    table.post();
}
