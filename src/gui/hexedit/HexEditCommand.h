#pragma once

#include "gui/hexedit/HexEditBuffer.h"

#include <QUndoCommand>

#include <functional>

// One undoable edit of the hex editor: count bytes at position replaced by
// new bytes (an overwrite, an insertion, a deletion or a paste). Typing
// commands merge while each one edits at or right after the bytes the run
// has already written, so the digits typed in one go undo in one step.
class HexEditCommand final : public QUndoCommand
{
public:
    // Puts the editor's cursor at a position after a redo or an undo.
    using PlaceCursor = std::function<void(int position)>;

    struct Edit
    {
        int position = 0;
        int count = 0;
        QByteArray bytes;
        bool typing = false;
        int cursorBefore = 0;
        int cursorAfter = 0;
    };

    HexEditCommand(HexEditBuffer &buffer, const Edit &edit, PlaceCursor placeCursor);

    void redo() override;
    void undo() override;
    [[nodiscard]] int id() const override;
    bool mergeWith(const QUndoCommand *other) override;

private:
    static constexpr int TypingId = 1;

    HexEditBuffer &m_buffer;
    PlaceCursor m_placeCursor;
    int m_position;
    int m_count;
    HexEditBuffer::Span m_inserted;
    HexEditBuffer::Span m_removed;
    bool m_typing;
    int m_cursorBefore;
    int m_cursorAfter;
};
