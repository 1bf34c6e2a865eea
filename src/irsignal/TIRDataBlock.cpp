#include "irsignal/TIRDataBlock.h"

#include <algorithm>
#include <cstring>

TIRDataBlock::TIRDataBlock() = default;

TIRDataBlock TIRDataBlock::filled(uchar value)
{
    TIRDataBlock block;
    block.m_bytes.fill(value);
    return block;
}

TIRDataBlock TIRDataBlock::fromField(const QByteArray &field, uchar fill)
{
    TIRDataBlock block = filled(fill);
    std::memcpy(block.m_bytes.data(), field.constData(), std::min<qsizetype>(field.size(), Size));
    return block;
}

QByteArray TIRDataBlock::nameBytes() const
{
    const auto begin = m_bytes.begin() + NameOffset;
    const auto end = std::find(begin, begin + NameLength, uchar(0));
    return QByteArray(reinterpret_cast<const char *>(&*begin), end - begin);
}

QByteArray TIRDataBlock::nameBytesOfField(const QByteArray &field)
{
    // Zero bytes in place of the missing ones end the name at the field's end.
    return fromField(field, 0).nameBytes();
}

void TIRDataBlock::setNameBytes(const QByteArray &name)
{
    const QByteArray bytes = name.left(NameLength);
    std::memcpy(m_bytes.data() + NameOffset, bytes.constData(), bytes.size());
    m_bytes[NameOffset + bytes.size()] = 0;
}

QByteArray TIRDataBlock::toByteArray() const
{
    return QByteArray(reinterpret_cast<const char *>(m_bytes.data()), Size);
}
