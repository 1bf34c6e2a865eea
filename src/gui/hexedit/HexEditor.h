#pragma once

#include "gui/hexedit/HexEditBuffer.h"
#include "gui/hexedit/HexEditCommand.h"
#include "gui/hexedit/HexEditorLayout.h"

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QRgb>
#include <QUndoStack>

#include <algorithm>
#include <cstdlib>
#include <optional>

class QIODevice;
class QPainter;

// A hexadecimal editor of a small byte array: 32 bytes a row under a column
// ruler, each row headed by its offset ("0x1E0"), a vertical scroll bar only.
//
// Editing: hex digits overwrite the nibble under the cursor and advance; in
// insert mode (Insert toggles it) the first digit inserts a new byte. In
// overwrite mode the size never changes; Delete and Backspace remove bytes in
// both modes. Arrows, Home/End (Ctrl: whole data), PgUp/PgDn move the cursor,
// with Shift they extend the selection; a click places the cursor and a drag
// selects. Ctrl+Z and Ctrl+Y undo and redo; the digits typed in one go are
// one step. Changed bytes stay marked until the next load.
//
// Clipboard: copy puts the selection as "72 30 0A" text. Paste takes hex text
// by the IR data text rules (at most PasteTextLimit characters). In insert
// mode the pasted bytes replace the selection or go in at the cursor; in
// overwrite mode they overwrite from the selection start or the cursor and
// are cut at the end of the data.
class HexEditor final : public QAbstractScrollArea
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HexEditor)

public:
    static constexpr QRgb ChangedBackground = qRgb(255, 255, 168);
    static constexpr QRgb ChangedText = qRgb(128, 0, 0);
    static constexpr QRgb OddColumnText = qRgb(0, 0, 255);
    static constexpr QRgb EvenColumnText = qRgb(0, 0, 128);
    static constexpr QRgb OffsetText = qRgb(0, 0, 0);
    static constexpr int PasteTextLimit = 64 * 1024;

    explicit HexEditor(QWidget *parent = nullptr);

    // Replaces all content, clears the modified flag, the undo history and
    // the change marks, and puts the cursor on byte 0.
    void load(const QByteArray &bytes);
    [[nodiscard]] const QByteArray &data() const { return m_buffer.bytes(); }
    // Writes all content; false when the device takes less.
    [[nodiscard]] bool save(QIODevice &device) const;
    // count bytes from index; throws ZoqError when they are not all there.
    [[nodiscard]] QByteArray read(int index, int count) const;
    [[nodiscard]] int size() const { return m_buffer.size(); }
    [[nodiscard]] bool isByteChanged(int index) const { return m_buffer.isChanged(index); }

    // Edits set the flag; undoing back to the loaded or last saved state
    // clears it unless it was set by hand.
    [[nodiscard]] bool isModified() const;
    void setModified(bool modified);

    [[nodiscard]] bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);
    [[nodiscard]] bool isInsertMode() const { return m_insertMode; }
    void setInsertMode(bool insertMode);

    [[nodiscard]] int cursorPosition() const { return m_cursor; }
    void setCursorPosition(int position);
    [[nodiscard]] int selectionStart() const { return std::min(m_anchor, m_cursor); }
    [[nodiscard]] int selectionLength() const { return std::abs(m_cursor - m_anchor); }
    // Selects length bytes from start; the cursor goes after them.
    void setSelection(int start, int length);

    [[nodiscard]] bool canCopy() const { return selectionLength() > 0; }
    void copy() const;
    // Whether the clipboard holds hex text that paste takes.
    [[nodiscard]] bool canPaste() const;
    void paste();

    void undo();
    void redo();

    [[nodiscard]] const HexEditorLayout &layout() const { return m_layout; }
    [[nodiscard]] int firstRow() const;

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

signals:
    void contentChanged();
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    [[nodiscard]] bool handleCommandKey(const QKeyEvent *event);
    [[nodiscard]] bool handleMoveKey(const QKeyEvent *event);
    void typeDigit(int digit);
    void removeBytes(bool backwards);
    void edit(const HexEditCommand::Edit &change);
    [[nodiscard]] std::optional<QByteArray> clipboardBytes() const;

    void setCursorState(int cursor, int anchor, bool lowNibble);
    void moveTo(HexEditorLayout::Move move, bool extend);
    void dragTo(QPoint point);
    void bufferChanged(int position, int removed, int inserted);

    void updateMetrics();
    void updateScrollBar();
    void ensureCursorVisible();
    [[nodiscard]] int visibleRows() const;
    void repaintCursor();
    void repaintRange(int from, int to);

    void paintRuler(QPainter &painter) const;
    void paintRow(QPainter &painter, int row) const;
    void paintCursor(QPainter &painter) const;

    HexEditBuffer m_buffer;
    QUndoStack m_undoStack;
    HexEditorLayout m_layout{1, 1};
    int m_cursor = 0;
    int m_anchor = 0;
    bool m_lowNibble = false;
    bool m_insertMode = false;
    bool m_readOnly = false;
    bool m_modified = false;
    int m_pressPosition = -1;
};
