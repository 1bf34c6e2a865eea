#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

// Geometry and cursor arithmetic of the hex editor, apart from painting.
//
// Content is shown 32 bytes a row below a one-line ruler; each row starts with
// its offset ("0x1E0"). Cursor positions run from 0 to size: position size is
// the append position after the last byte. When it starts a row of its own
// (size a multiple of 32), that row exists only while the cursor is on it, so
// a full block shows the rows 0x000..0x1E0.
//
// Rows are scrolled whole: firstRow is the row shown just below the ruler.
class HexEditorLayout final
{
public:
    static constexpr int BytesPerRow = 32;

    enum class Move { Left, Right, Up, Down, RowStart, RowEnd, PageUp, PageDown, DataStart, DataEnd };

    HexEditorLayout(int charWidth, int lineHeight);

    void setByteCount(int size) { m_size = size; }
    [[nodiscard]] int byteCount() const { return m_size; }

    // Rows needed with the cursor at cursor (at least one).
    [[nodiscard]] int rowCount(int cursor) const;
    [[nodiscard]] static int rowOf(int position) { return position / BytesPerRow; }
    [[nodiscard]] static int columnOf(int position) { return position % BytesPerRow; }

    // Hex digits of the offsets: enough for the largest row offset, the
    // append row included.
    [[nodiscard]] int offsetDigits() const;
    [[nodiscard]] QString offsetText(int row) const;
    [[nodiscard]] static QString rulerText(int column);
    [[nodiscard]] static QString byteText(uchar value);

    [[nodiscard]] int charWidth() const { return m_charWidth; }
    [[nodiscard]] int lineHeight() const { return m_lineHeight; }
    [[nodiscard]] int rulerHeight() const { return m_lineHeight; }
    [[nodiscard]] int offsetWidth() const;
    [[nodiscard]] int cellWidth() const { return 3 * m_charWidth; }
    [[nodiscard]] int contentWidth() const;
    // Whole rows that fit below the ruler in a viewport of the given height.
    [[nodiscard]] int visibleRows(int viewportHeight) const;

    [[nodiscard]] int columnX(int column) const;
    [[nodiscard]] int rowY(int row, int firstRow) const;
    // The cell of a position: its two digits and the space after them.
    [[nodiscard]] QRect cellRect(int position, int firstRow) const;
    // Just the two digits of a position, or one of them.
    [[nodiscard]] QRect digitsRect(int position, int firstRow) const;
    [[nodiscard]] QRect nibbleRect(int position, bool lowNibble, int firstRow) const;
    // The whole width of one row.
    [[nodiscard]] QRect rowRect(int row, int firstRow) const;

    // Cursor position under a point (clamped to 0..size; the ruler counts as
    // the row above firstRow, so a drag upwards reaches it).
    [[nodiscard]] int positionAt(QPoint point, int firstRow) const;

    // Where a cursor movement from position leads; pageRows is the number of
    // rows a page moves.
    [[nodiscard]] int moved(int position, Move move, int pageRows) const;

    // The first row to show so that the cursor's row is visible.
    [[nodiscard]] static int scrolledTo(int cursorRow, int firstRow, int visibleRows);

private:
    int m_charWidth;
    int m_lineHeight;
    int m_size = 0;
};
