#include "gui/hexedit/HexEditBuffer.h"

void HexEditBuffer::load(const QByteArray &bytes)
{
    m_span.bytes = bytes;
    m_span.marks = QByteArray(bytes.size(), 0);
    if (m_listener)
        m_listener(0, -1, size());
}

HexEditBuffer::Span HexEditBuffer::splice(int position, int count, const Span &replacement)
{
    Q_ASSERT(position >= 0 && count >= 0 && position + count <= size());
    Span removed{m_span.bytes.mid(position, count), m_span.marks.mid(position, count)};
    m_span.bytes.replace(position, count, replacement.bytes);
    m_span.marks.replace(position, count, replacement.marks);
    if (m_listener)
        m_listener(position, count, int(replacement.bytes.size()));
    return removed;
}

HexEditBuffer::Span HexEditBuffer::changedSpan(const QByteArray &bytes)
{
    return {bytes, QByteArray(bytes.size(), 1)};
}
