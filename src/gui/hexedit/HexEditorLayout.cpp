#include "gui/hexedit/HexEditorLayout.h"

#include <algorithm>

HexEditorLayout::HexEditorLayout(int charWidth, int lineHeight)
    : m_charWidth(std::max(1, charWidth))
    , m_lineHeight(std::max(1, lineHeight))
{
}

int HexEditorLayout::rowCount(int cursor) const
{
    const int rows = (m_size + BytesPerRow - 1) / BytesPerRow;
    const bool appendRow = cursor == m_size && m_size % BytesPerRow == 0;
    return std::max(1, appendRow ? rows + 1 : rows);
}

int HexEditorLayout::offsetDigits() const
{
    const int largest = rowOf(m_size) * BytesPerRow;
    return std::max(1, int(QString::number(largest, 16).size()));
}

QString HexEditorLayout::offsetText(int row) const
{
    return QStringLiteral("0x")
           + QStringLiteral("%1").arg(row * BytesPerRow, offsetDigits(), 16, QLatin1Char('0')).toUpper();
}

QString HexEditorLayout::rulerText(int column)
{
    return byteText(uchar(column));
}

QString HexEditorLayout::byteText(uchar value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

int HexEditorLayout::offsetWidth() const
{
    // "0x", the digits, and half a character of margin on either side.
    return (2 + offsetDigits() + 1) * m_charWidth;
}

int HexEditorLayout::contentWidth() const
{
    return columnX(BytesPerRow) + m_charWidth / 2;
}

int HexEditorLayout::visibleRows(int viewportHeight) const
{
    return std::max(1, (viewportHeight - rulerHeight()) / m_lineHeight);
}

int HexEditorLayout::columnX(int column) const
{
    return offsetWidth() + m_charWidth / 2 + column * cellWidth();
}

int HexEditorLayout::rowY(int row, int firstRow) const
{
    return rulerHeight() + (row - firstRow) * m_lineHeight;
}

QRect HexEditorLayout::cellRect(int position, int firstRow) const
{
    return {columnX(columnOf(position)) - m_charWidth / 2, rowY(rowOf(position), firstRow), cellWidth(),
            m_lineHeight};
}

QRect HexEditorLayout::digitsRect(int position, int firstRow) const
{
    return {columnX(columnOf(position)), rowY(rowOf(position), firstRow), 2 * m_charWidth, m_lineHeight};
}

QRect HexEditorLayout::nibbleRect(int position, bool lowNibble, int firstRow) const
{
    const QRect digits = digitsRect(position, firstRow);
    return {digits.x() + (lowNibble ? m_charWidth : 0), digits.y(), m_charWidth, m_lineHeight};
}

QRect HexEditorLayout::rowRect(int row, int firstRow) const
{
    return {0, rowY(row, firstRow), contentWidth(), m_lineHeight};
}

int HexEditorLayout::positionAt(QPoint point, int firstRow) const
{
    const int y = point.y() - rulerHeight();
    const int row = firstRow + (y < 0 ? -1 : y / m_lineHeight);
    const int x = point.x() - columnX(0) + m_charWidth / 2;
    const int column = std::clamp(x < 0 ? 0 : x / cellWidth(), 0, BytesPerRow - 1);
    if (row < 0)
        return 0;
    return std::clamp(row * BytesPerRow + column, 0, m_size);
}

int HexEditorLayout::moved(int position, Move move, int pageRows) const
{
    const int rowStart = position - columnOf(position);
    const int page = std::max(1, pageRows) * BytesPerRow;
    int target = position;
    switch (move) {
    case Move::Left: target = position - 1; break;
    case Move::Right: target = position + 1; break;
    case Move::Up: target = position >= BytesPerRow ? position - BytesPerRow : position; break;
    case Move::Down: target = position + BytesPerRow <= m_size ? position + BytesPerRow : position; break;
    case Move::RowStart: target = rowStart; break;
    case Move::RowEnd: target = rowStart + BytesPerRow - 1; break;
    case Move::PageUp: target = position >= page ? position - page : columnOf(position); break;
    case Move::PageDown:
        target = position + page <= m_size ? position + page
                                           : position + (m_size - position) / BytesPerRow * BytesPerRow;
        break;
    case Move::DataStart: target = 0; break;
    case Move::DataEnd: target = m_size; break;
    }
    return std::clamp(target, 0, m_size);
}

int HexEditorLayout::scrolledTo(int cursorRow, int firstRow, int visibleRows)
{
    if (cursorRow < firstRow)
        return cursorRow;
    if (cursorRow >= firstRow + visibleRows)
        return cursorRow - visibleRows + 1;
    return firstRow;
}
