#include "gui/hexedit/HexEditCommand.h"

#include <algorithm>

HexEditCommand::HexEditCommand(HexEditBuffer &buffer, const Edit &edit, PlaceCursor placeCursor)
    : m_buffer(buffer)
    , m_placeCursor(std::move(placeCursor))
    , m_position(edit.position)
    , m_count(edit.count)
    , m_inserted(HexEditBuffer::changedSpan(edit.bytes))
    , m_typing(edit.typing)
    , m_cursorBefore(edit.cursorBefore)
    , m_cursorAfter(edit.cursorAfter)
{
}

void HexEditCommand::redo()
{
    m_removed = m_buffer.splice(m_position, m_count, m_inserted);
    if (m_placeCursor)
        m_placeCursor(m_cursorAfter);
}

void HexEditCommand::undo()
{
    m_buffer.splice(m_position, int(m_inserted.bytes.size()), m_removed);
    if (m_placeCursor)
        m_placeCursor(m_cursorBefore);
}

int HexEditCommand::id() const
{
    return m_typing ? TypingId : -1;
}

bool HexEditCommand::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const HexEditCommand *>(other);
    const int written = int(m_inserted.bytes.size());
    const int offset = next->m_position - m_position;
    if (offset < 0 || offset > written)
        return false;

    // The next edit replaced part of what this run wrote and possibly some
    // original bytes after it: those join the bytes this run took out.
    const int inside = std::min(next->m_count, written - offset);
    m_removed.bytes += next->m_removed.bytes.mid(inside);
    m_removed.marks += next->m_removed.marks.mid(inside);
    m_count += next->m_count - inside;
    m_inserted.bytes.replace(offset, inside, next->m_inserted.bytes);
    m_inserted.marks.replace(offset, inside, next->m_inserted.marks);
    m_cursorAfter = next->m_cursorAfter;
    return true;
}
