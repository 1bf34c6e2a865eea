#include "core/signal/IrBlock.h"

#include <algorithm>
#include <cstring>

IrBlock::IrBlock() = default;

IrBlock IrBlock::filled(uchar value)
{
    IrBlock block;
    block.m_bytes.fill(value);
    return block;
}

IrBlock IrBlock::fromField(const QByteArray &field, uchar fill)
{
    IrBlock block = filled(fill);
    std::memcpy(block.m_bytes.data(), field.constData(), std::min<qsizetype>(field.size(), Size));
    return block;
}

QByteArray IrBlock::nameBytes() const
{
    const auto begin = m_bytes.begin() + NameOffset;
    const auto end = std::find(begin, begin + NameLength, uchar(0));
    return QByteArray(reinterpret_cast<const char *>(&*begin), end - begin);
}

QByteArray IrBlock::nameBytesOfField(const QByteArray &field)
{
    // Zero bytes in place of the missing ones end the name at the field's end.
    return fromField(field, 0).nameBytes();
}

void IrBlock::setNameBytes(const QByteArray &name)
{
    const QByteArray bytes = name.left(NameLength);
    std::memcpy(m_bytes.data() + NameOffset, bytes.constData(), bytes.size());
    m_bytes[NameOffset + bytes.size()] = 0;
}

QByteArray IrBlock::toByteArray() const
{
    return QByteArray(reinterpret_cast<const char *>(m_bytes.data()), Size);
}
