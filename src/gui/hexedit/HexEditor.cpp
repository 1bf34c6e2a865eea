#include "gui/hexedit/HexEditor.h"

#include "core/common/ZoqError.h"
#include "core/signal/IrDataText.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIODevice>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

namespace {

using Move = HexEditorLayout::Move;

[[nodiscard]] int hexDigit(const QString &text)
{
    if (text.size() != 1)
        return -1;
    const QChar c = text.at(0).toUpper();
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

[[nodiscard]] bool isCombination(const QKeyEvent *event, Qt::KeyboardModifiers modifiers, int key)
{
    return event->key() == key && (event->modifiers() & ~Qt::KeypadModifier) == modifiers;
}

} // namespace

HexEditor::HexEditor(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(12);
    setFont(font);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    m_buffer.setListener([this](int position, int removed, int inserted) {
        bufferChanged(position, removed, inserted);
    });
    updateMetrics();
}

void HexEditor::load(const QByteArray &bytes)
{
    m_undoStack.clear();
    m_buffer.load(bytes);
    m_modified = false;
    m_undoStack.setClean();
    setCursorState(0, 0, false);
    verticalScrollBar()->setValue(0);
}

bool HexEditor::save(QIODevice &device) const
{
    return device.write(data()) == size();
}

QByteArray HexEditor::read(int index, int count) const
{
    if (index < 0 || count < 0 || qint64(index) + count > size())
        throw ZoqError(QStringLiteral("Index out of range: %1 bytes from %2 asked, %3 held")
                           .arg(count)
                           .arg(index)
                           .arg(size()));
    return data().mid(index, count);
}

bool HexEditor::isModified() const
{
    return m_modified || !m_undoStack.isClean();
}

void HexEditor::setModified(bool modified)
{
    m_modified = modified;
    if (!modified)
        m_undoStack.setClean();
}

void HexEditor::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    setCursorState(m_cursor, m_anchor, false);
}

void HexEditor::setInsertMode(bool insertMode)
{
    m_insertMode = insertMode;
    setCursorState(m_cursor, m_anchor, false);
}

void HexEditor::setCursorPosition(int position)
{
    const int p = std::clamp(position, 0, size());
    setCursorState(p, p, false);
}

void HexEditor::setSelection(int start, int length)
{
    const int from = std::clamp(start, 0, size());
    setCursorState(std::clamp(from + length, from, size()), from, false);
}

void HexEditor::copy() const
{
    if (canCopy())
        QGuiApplication::clipboard()->setText(hexBytesText(data().mid(selectionStart(), selectionLength())));
}

bool HexEditor::canPaste() const
{
    return clipboardBytes().has_value();
}

void HexEditor::paste()
{
    const std::optional<QByteArray> pasted = clipboardBytes();
    if (m_readOnly || !pasted)
        return;
    const int start = selectionStart();
    QByteArray bytes = *pasted;
    int count = selectionLength();
    if (!m_insertMode) {
        bytes.truncate(size() - start);
        count = int(bytes.size());
        if (bytes.isEmpty())
            return;
    }
    edit({start, count, bytes, false, m_cursor, start + int(bytes.size())});
}

std::optional<QByteArray> HexEditor::clipboardBytes() const
{
    const QString text = QGuiApplication::clipboard()->text();
    if (text.size() > PasteTextLimit)
        return std::nullopt;
    QByteArray bytes;
    int count = 0;
    if (!parseHexBytes(text, PasteTextLimit, bytes, count, nullptr) || bytes.isEmpty())
        return std::nullopt;
    return bytes;
}

void HexEditor::undo()
{
    if (!m_readOnly)
        m_undoStack.undo();
}

void HexEditor::redo()
{
    if (!m_readOnly)
        m_undoStack.redo();
}

int HexEditor::firstRow() const
{
    return verticalScrollBar()->value();
}

QSize HexEditor::sizeHint() const
{
    return {minimumSizeHint().width(), m_layout.rulerHeight() + 16 * m_layout.lineHeight() + 2 * frameWidth()};
}

// As wide as a whole row: there is no horizontal scroll bar.
QSize HexEditor::minimumSizeHint() const
{
    const int frame = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
    return {m_layout.contentWidth() + scrollBar + frame, m_layout.rulerHeight() + 2 * m_layout.lineHeight() + frame};
}

// ---------------------------------------------------------------------------
// Keyboard and mouse

void HexEditor::keyPressEvent(QKeyEvent *event)
{
    if (handleCommandKey(event) || handleMoveKey(event))
        return;
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    const int digit = plain ? hexDigit(event->text()) : -1;
    if (digit < 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    typeDigit(digit);
}

bool HexEditor::handleCommandKey(const QKeyEvent *event)
{
    if (event->matches(QKeySequence::Undo)) {
        undo();
    } else if (event->matches(QKeySequence::Redo) || isCombination(event, Qt::ControlModifier, Qt::Key_Y)) {
        redo();
    } else if (event->matches(QKeySequence::SelectAll)) {
        setCursorState(size(), 0, false);
    } else if (isCombination(event, Qt::NoModifier, Qt::Key_Insert)) {
        setInsertMode(!m_insertMode);
    } else if (isCombination(event, Qt::NoModifier, Qt::Key_Delete)) {
        removeBytes(false);
    } else if (isCombination(event, Qt::NoModifier, Qt::Key_Backspace)) {
        removeBytes(true);
    } else {
        return false;
    }
    return true;
}

bool HexEditor::handleMoveKey(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers & ~(Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    const bool extend = modifiers & Qt::ShiftModifier;
    const bool whole = modifiers & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Left: moveTo(Move::Left, extend); break;
    case Qt::Key_Right: moveTo(Move::Right, extend); break;
    case Qt::Key_Up: moveTo(Move::Up, extend); break;
    case Qt::Key_Down: moveTo(Move::Down, extend); break;
    case Qt::Key_PageUp: moveTo(Move::PageUp, extend); break;
    case Qt::Key_PageDown: moveTo(Move::PageDown, extend); break;
    case Qt::Key_Home: moveTo(whole ? Move::DataStart : Move::RowStart, extend); break;
    case Qt::Key_End: moveTo(whole ? Move::DataEnd : Move::RowEnd, extend); break;
    default: return false;
    }
    return true;
}

void HexEditor::moveTo(Move move, bool extend)
{
    const int target = m_layout.moved(m_cursor, move, visibleRows());
    setCursorState(target, extend ? m_anchor : target, false);
}

void HexEditor::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const int position = m_layout.positionAt(event->position().toPoint(), firstRow());
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    m_pressPosition = extend ? m_anchor : position;
    setCursorState(position, extend ? m_anchor : position, false);
}

void HexEditor::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_pressPosition < 0)
        return;
    const QPoint point = event->position().toPoint();
    if (point.y() < m_layout.rulerHeight())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.y() >= viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    dragTo(point);
}

void HexEditor::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressPosition = -1;
    else
        QAbstractScrollArea::mouseReleaseEvent(event);
}

// The bytes between the pressed one and the one under the mouse, both included.
void HexEditor::dragTo(QPoint point)
{
    const int hit = m_layout.positionAt(point, firstRow());
    if (hit == m_pressPosition)
        setCursorState(hit, hit, false);
    else if (hit > m_pressPosition)
        setCursorState(std::min(hit + 1, size()), m_pressPosition, false);
    else
        setCursorState(hit, std::min(m_pressPosition + 1, size()), false);
}

// ---------------------------------------------------------------------------
// Edits

void HexEditor::typeDigit(int digit)
{
    if (m_readOnly)
        return;
    const int position = selectionStart();
    if (m_lowNibble) {
        const auto byte = char((uchar(data().at(position)) & 0xF0) | digit);
        edit({position, 1, QByteArray(1, byte), true, position, position + 1});
        return;
    }
    if (m_insertMode) {
        edit({position, 0, QByteArray(1, char(digit << 4)), true, position, position});
    } else {
        if (position >= size())
            return;
        const auto byte = char((digit << 4) | (uchar(data().at(position)) & 0x0F));
        edit({position, 1, QByteArray(1, byte), true, position, position});
    }
    setCursorState(position, position, true);
}

void HexEditor::removeBytes(bool backwards)
{
    if (m_readOnly)
        return;
    const int start = selectionStart();
    if (selectionLength() > 0)
        edit({start, selectionLength(), {}, false, m_cursor, start});
    else if (backwards && m_cursor > 0)
        edit({m_cursor - 1, 1, {}, false, m_cursor, m_cursor - 1});
    else if (!backwards && m_cursor < size())
        edit({m_cursor, 1, {}, false, m_cursor, m_cursor});
}

void HexEditor::edit(const HexEditCommand::Edit &change)
{
    m_undoStack.push(new HexEditCommand(m_buffer, change, [this](int position) { setCursorPosition(position); }));
}

void HexEditor::bufferChanged(int position, int removed, int inserted)
{
    const int digits = m_layout.offsetDigits();
    m_layout.setByteCount(size());
    if (m_layout.offsetDigits() != digits)
        updateGeometry();
    m_cursor = std::min(m_cursor, size());
    m_anchor = std::min(m_anchor, size());
    updateScrollBar();
    if (removed == inserted)
        repaintRange(position, position + inserted);
    else
        viewport()->update();
    emit contentChanged();
}

// ---------------------------------------------------------------------------
// Cursor, scrolling and repaints

void HexEditor::setCursorState(int cursor, int anchor, bool lowNibble)
{
    const int oldStart = selectionStart();
    const int oldEnd = oldStart + selectionLength();
    const int oldRows = m_layout.rowCount(m_cursor);
    repaintCursor();

    m_cursor = cursor;
    m_anchor = anchor;
    m_lowNibble = lowNibble;

    const int newStart = selectionStart();
    const int newEnd = newStart + selectionLength();
    if (m_layout.rowCount(m_cursor) != oldRows)
        updateScrollBar();
    ensureCursorVisible();
    repaintCursor();
    if (oldStart != newStart || oldEnd != newEnd) {
        repaintRange(std::min(oldStart, newStart), std::max(oldEnd, newEnd));
        emit selectionChanged();
    }
}

void HexEditor::updateMetrics()
{
    const QFontMetrics metrics(font());
    m_layout = HexEditorLayout(metrics.horizontalAdvance(QLatin1Char('0')), metrics.height() + 2);
    m_layout.setByteCount(size());
    updateScrollBar();
    updateGeometry();
    viewport()->update();
}

void HexEditor::updateScrollBar()
{
    const int rows = visibleRows();
    QScrollBar *bar = verticalScrollBar();
    bar->setRange(0, std::max(0, m_layout.rowCount(m_cursor) - rows));
    bar->setPageStep(rows);
    bar->setSingleStep(1);
}

void HexEditor::ensureCursorVisible()
{
    const int row = HexEditorLayout::rowOf(m_cursor);
    verticalScrollBar()->setValue(HexEditorLayout::scrolledTo(row, firstRow(), visibleRows()));
}

int HexEditor::visibleRows() const
{
    return m_layout.visibleRows(viewport()->height());
}

void HexEditor::repaintCursor()
{
    viewport()->update(m_layout.cellRect(m_cursor, firstRow()));
}

void HexEditor::repaintRange(int from, int to)
{
    const int first = firstRow();
    const int lastRow = HexEditorLayout::rowOf(std::max(from, to - 1));
    for (int row = HexEditorLayout::rowOf(from); row <= lastRow; ++row)
        viewport()->update(m_layout.rowRect(row, first));
}

void HexEditor::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

void HexEditor::scrollContentsBy(int, int)
{
    viewport()->update();
}

void HexEditor::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    repaintCursor();
}

void HexEditor::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    repaintCursor();
}

void HexEditor::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateMetrics();
}

// ---------------------------------------------------------------------------
// Painting

void HexEditor::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.setFont(font());
    const QRect area = event->rect();
    painter.fillRect(area, palette().base());
    const int first = firstRow();
    const int rows = m_layout.rowCount(m_cursor);
    for (int row = first; row < rows; ++row) {
        const QRect rect = m_layout.rowRect(row, first);
        if (rect.top() > area.bottom())
            break;
        if (rect.intersects(area))
            paintRow(painter, row);
    }
    paintCursor(painter);
    if (area.top() < m_layout.rulerHeight())
        paintRuler(painter);
}

void HexEditor::paintRuler(QPainter &painter) const
{
    painter.fillRect(0, 0, viewport()->width(), m_layout.rulerHeight(), palette().button());
    painter.setPen(QColor(OffsetText));
    for (int column = 0; column < HexEditorLayout::BytesPerRow; ++column) {
        const QRect rect(m_layout.columnX(column), 0, 2 * m_layout.charWidth(), m_layout.rulerHeight());
        painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, HexEditorLayout::rulerText(column));
    }
}

void HexEditor::paintRow(QPainter &painter, int row) const
{
    const int first = firstRow();
    const QRect offsetRect(0, m_layout.rowY(row, first), m_layout.offsetWidth(), m_layout.lineHeight());
    painter.fillRect(offsetRect, palette().button());
    painter.setPen(QColor(OffsetText));
    painter.drawText(offsetRect.adjusted(m_layout.charWidth() / 2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     m_layout.offsetText(row));

    const int selectionEnd = selectionStart() + selectionLength();
    const int rowStart = row * HexEditorLayout::BytesPerRow;
    const int rowEnd = std::min(size(), rowStart + HexEditorLayout::BytesPerRow);
    for (int position = rowStart; position < rowEnd; ++position) {
        const bool selected = position >= selectionStart() && position < selectionEnd;
        const bool changed = m_buffer.isChanged(position);
        QColor text(HexEditorLayout::columnOf(position) % 2 ? OddColumnText : EvenColumnText);
        if (selected) {
            painter.fillRect(m_layout.cellRect(position, first), palette().highlight());
            text = palette().highlightedText().color();
        } else if (changed) {
            painter.fillRect(m_layout.cellRect(position, first), QColor(ChangedBackground));
            text = QColor(ChangedText);
        }
        painter.setPen(text);
        painter.drawText(m_layout.digitsRect(position, first), Qt::AlignLeft | Qt::AlignVCenter,
                         HexEditorLayout::byteText(uchar(data().at(position))));
    }
}

void HexEditor::paintCursor(QPainter &painter) const
{
    const int first = firstRow();
    const QRect frame = m_lowNibble ? m_layout.nibbleRect(m_cursor, true, first)
                                    : m_layout.digitsRect(m_cursor, first);
    painter.setPen(hasFocus() ? palette().text().color() : palette().mid().color());
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame.adjusted(-1, 0, 0, -1));
    if (m_insertMode)
        painter.fillRect(frame.x() - 1, frame.y(), 2, frame.height(), painter.pen().color());
}
