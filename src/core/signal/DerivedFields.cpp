#include "core/signal/DerivedFields.h"

#include "core/signal/IrBlock.h"

namespace {
constexpr int CarrierClockHz = 1844000;
}

DerivedFields deriveFields(const QByteArray &field, const NameEncoding &encoding)
{
    const IrBlock block = IrBlock::fromField(field, 0xFF);
    DerivedFields fields;
    if (block.isValid()) {
        fields.format = block.isRc5Rc6() ? QStringLiteral("RC5/RC6") : QStringLiteral("Normal");
        const int period = block.header().carrierPeriod();
        fields.carry = period == 0 ? QStringLiteral("0") : QString::number(CarrierClockHz / period);
    }
    fields.function = encoding.decode(IrBlock::nameBytesOfField(field));
    return fields;
}
