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

QString TIRDataBlock::name() const
{
    const auto begin = m_bytes.begin() + NameOffset;
    const auto end = std::find(begin, begin + NameLength, uchar(0));
    return QString::fromLatin1(reinterpret_cast<const char *>(&*begin), end - begin);
}

void TIRDataBlock::setName(const QString &name)
{
    const QByteArray text = name.left(NameLength).toLatin1();
    std::memcpy(m_bytes.data() + NameOffset, text.constData(), text.size());
    m_bytes[NameOffset + text.size()] = 0;
}

QByteArray TIRDataBlock::toByteArray() const
{
    return QByteArray(reinterpret_cast<const char *>(m_bytes.data()), Size);
}
