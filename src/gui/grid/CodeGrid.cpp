#include "gui/grid/CodeGrid.h"

#include "gui/grid/CodeGridDelegate.h"
#include "gui/grid/CodeGridIndicator.h"
#include "core/document/CodeTable.h"
#include "gui/grid/GridGeometry.h"
#include "gui/grid/SendButtonArt.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace {

// Space around the text of a column's default width.
constexpr int CellPadding = 4;

// Wheel turn of one notch, in eighths of a degree.
constexpr int WheelNotch = 120;

[[nodiscard]] int indexOfField(const QStringList &names, const QString &name)
{
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace

CodeGrid::CodeGrid(QWidget *parent)
    : QTableView(parent)
    , m_indicator(new CodeGridIndicator(this))
    , m_delegate(new CodeGridDelegate(*this, this))
{
    setObjectName(QStringLiteral("grid"));
    setVerticalHeader(m_indicator);
    setItemDelegate(m_delegate);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The grid keeps its own row selection; Qt's item selection stays empty.
    setSelectionMode(QAbstractItemView::NoSelection);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setSortingEnabled(false);
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    QHeaderView *titles = horizontalHeader();
    titles->setSectionResizeMode(QHeaderView::Fixed);
    titles->setSectionsMovable(false);
    titles->setSectionsClickable(false);
    titles->setHighlightSections(false);
    titles->setStretchLastSection(false);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    // Rows are tall enough for the send button above the grid line.
    m_indicator->setMinimumSectionSize(SendButtonArt::Height + 1);
    m_indicator->setDefaultSectionSize(std::max(fontMetrics().height() + 4, SendButtonArt::Height + 2));

    titles->viewport()->installEventFilter(this);
    m_indicator->viewport()->installEventFilter(this);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &CodeGrid::onScrollAction);
}

void CodeGrid::setTable(CodeTable *table)
{
    if (m_table != nullptr)
        disconnect(m_table, nullptr, this, nullptr);
    QItemSelectionModel *oldSelection = selectionModel();
    m_table = table;
    setModel(table);
    if (oldSelection != nullptr && oldSelection != selectionModel() && oldSelection->parent() == this)
        delete oldSelection;
    if (table != nullptr) {
        connect(table, &CodeTable::currentRowChanged, this, &CodeGrid::followTableCursor);
        connect(table, &QAbstractItemModel::modelReset, this, &CodeGrid::tableReset);
    }
    tableReset();
}

void CodeGrid::setIdColumnWidth()
{
    setColumnWidth(0, GridGeometry::IdColumnWidth);
}

int CodeGrid::currentRowNumber() const
{
    return m_table != nullptr ? m_table->recNo() : 0;
}

QList<int> CodeGrid::selectedRows() const
{
    QList<int> rows;
    rows.reserve(m_selectedCount);
    for (int i = 0; i < int(m_selected.size()); ++i) {
        if (m_selected[i])
            rows.append(i + 1);
    }
    return rows;
}

bool CodeGrid::isRowSelected(int row) const
{
    return row >= 1 && row <= int(m_selected.size()) && m_selected[row - 1];
}

void CodeGrid::clearSelection()
{
    if (m_selectedCount == 0)
        return;
    std::fill(m_selected.begin(), m_selected.end(), false);
    m_selectedCount = 0;
    viewport()->update();
}

void CodeGrid::addCurrentRowToSelection()
{
    addRowToSelection(currentRowNumber());
}

void CodeGrid::addRowToSelection(int row)
{
    setRowSelected(row - 1, true);
}

void CodeGrid::selectAllRows()
{
    std::fill(m_selected.begin(), m_selected.end(), true);
    m_selectedCount = int(m_selected.size());
    viewport()->update();
}

QString CodeGrid::columnAtX(int x) const
{
    return GridGeometry::columnAtX(x, columnWidths(), columnNames());
}

bool CodeGrid::isRowHighlighted(int row0) const
{
    return row0 == currentIndex().row() || isRowSelected(row0 + 1);
}

bool CodeGrid::isCarryEmpty(int row0) const
{
    return m_table != nullptr && m_carryOrdinal >= 0 && m_table->valueAt(row0, m_carryOrdinal).toString().isEmpty();
}

void CodeGrid::mousePressEvent(QMouseEvent *event)
{
    // Only the left button acts on the grid; the context menu comes with its own event.
    if (event->button() != Qt::LeftButton)
        return;
    pressRow(event);
    handleLeftPress(false, clientX(viewport(), event->position()));
}

void CodeGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    pressRow(event);
    handleLeftPress(true, clientX(viewport(), event->position()));
}

void CodeGrid::keyPressEvent(QKeyEvent *event)
{
    // Nothing of the grid goes to the system clipboard; Ctrl+C belongs to the window's Copy.
    if (event->matches(QKeySequence::Copy)) {
        event->ignore();
        return;
    }
    const int before = currentIndex().row();
    QTableView::keyPressEvent(event);
    if (currentIndex().row() != before)
        clearSelection();
}

// The wheel moves the current row, one row per notch, and the view follows
// it, as the keyboard does; a sideways turn scrolls the view.
void CodeGrid::wheelEvent(QWheelEvent *event)
{
    const int turn = event->angleDelta().y();
    if (turn == 0 || model() == nullptr || model()->rowCount() == 0) {
        QTableView::wheelEvent(event);
        return;
    }
    event->accept();
    m_wheelRemainder += turn;
    const int notches = m_wheelRemainder / WheelNotch;
    m_wheelRemainder -= notches * WheelNotch;
    moveCurrentRowBy(-notches);
}

void CodeGrid::moveCurrentRowBy(int rows)
{
    const int from = std::max(currentIndex().row(), 0);
    const int to = std::clamp(from + rows, 0, model()->rowCount() - 1);
    if (to == currentIndex().row())
        return;
    clearSelection();
    const int column = std::max(currentIndex().column(), 0);
    selectionModel()->setCurrentIndex(model()->index(to, column), QItemSelectionModel::NoUpdate);
}

void CodeGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    viewport()->update(visualRect(currentIndex()));
}

void CodeGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    viewport()->update(visualRect(currentIndex()));
}

// Typing does not jump between rows in this grid.
void CodeGrid::keyboardSearch(const QString &)
{
}

bool CodeGrid::eventFilter(QObject *watched, QEvent *event)
{
    const bool onTitles = watched == horizontalHeader()->viewport();
    const bool onIndicator = watched == m_indicator->viewport();
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (!(onTitles || onIndicator) || !press)
        return QTableView::eventFilter(watched, event);

    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton)
        return true;
    setFocus(Qt::MouseFocusReason);
    if (onIndicator)
        pressIndicator(*mouse);
    handleLeftPress(event->type() == QEvent::MouseButtonDblClick,
                       clientX(static_cast<QWidget *>(watched), mouse->position()));
    return true;
}

void CodeGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (current.row() == previous.row())
        return;
    updateRow(previous.row());
    updateRow(current.row());
    m_indicator->setCurrentRow(current.row());
    if (!m_followingTable && m_table != nullptr && current.isValid())
        m_table->setRecNo(current.row() + 1);
}

void CodeGrid::tableReset()
{
    const int rows = model() != nullptr ? model()->rowCount() : 0;
    m_selected.assign(rows, false);
    m_selectedCount = 0;
    m_carryOrdinal = m_table != nullptr ? indexOfField(m_table->fieldNames(), QStringLiteral("Carry")) : -1;
    applyDefaultColumnWidths();
    m_indicator->setCurrentRow(currentIndex().row());
    if (m_table != nullptr)
        followTableCursor(m_table->recNo() - 1);
    viewport()->update();
}

void CodeGrid::followTableCursor(int row0)
{
    if (model() == nullptr || row0 < 0 || row0 >= model()->rowCount() || row0 == currentIndex().row())
        return;
    const QScopedValueRollback following(m_followingTable, true);
    const int column = std::max(currentIndex().column(), 0);
    selectionModel()->setCurrentIndex(model()->index(row0, column), QItemSelectionModel::NoUpdate);
}

void CodeGrid::applyDefaultColumnWidths()
{
    if (model() == nullptr)
        return;
    const int digit = fontMetrics().horizontalAdvance(u'0');
    const QFontMetrics titleMetrics(horizontalHeader()->font());
    const QStringList names = columnNames();
    for (int i = 0; i < names.size(); ++i) {
        const int dataWidth = GridGeometry::displayWidthChars(names.at(i)) * digit;
        const int titleWidth = titleMetrics.horizontalAdvance(names.at(i));
        setColumnWidth(i, std::max(dataWidth, titleWidth) + CellPadding);
    }
}

// Scrolling with the vertical scroll bar (arrows, page clicks, dragging the
// thumb, the wheel) clears the selection as soon as the view moves.
void CodeGrid::onScrollAction(int action)
{
    const QScrollBar *bar = verticalScrollBar();
    if (action != QAbstractSlider::SliderNoAction && bar->sliderPosition() != bar->value())
        clearSelection();
}

void CodeGrid::pressRow(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    const int previous = currentIndex().row();
    QTableView::mousePressEvent(event);
    if (index.isValid())
        applyRowPress(index.row(), event->modifiers(), previous);
}

void CodeGrid::applyRowPress(int row0, Qt::KeyboardModifiers modifiers, int previousRow0)
{
    if (modifiers.testFlag(Qt::ControlModifier)) {
        setRowSelected(row0, !isRowSelected(row0 + 1));
        return;
    }
    clearSelection();
    if (modifiers.testFlag(Qt::ShiftModifier) && previousRow0 >= 0) {
        for (int r = std::min(row0, previousRow0); r <= std::max(row0, previousRow0); ++r)
            setRowSelected(r, true);
        return;
    }
    setRowSelected(row0, true);
}

void CodeGrid::pressIndicator(const QMouseEvent &event)
{
    const int row0 = m_indicator->logicalIndexAt(event.position().toPoint());
    if (model() == nullptr || row0 < 0)
        return;
    const int previous = currentIndex().row();
    const int column = std::max(currentIndex().column(), 0);
    selectionModel()->setCurrentIndex(model()->index(row0, column), QItemSelectionModel::NoUpdate);
    applyRowPress(row0, event.modifiers(), previous);
}

void CodeGrid::handleLeftPress(bool doubleClick, int x)
{
    if (model() == nullptr || model()->columnCount() == 0)
        return;
    if (doubleClick) {
        emit fieldDoubleClicked(columnAtX(x));
        return;
    }
    switch (GridGeometry::pressTargetAtX(x, columnWidth(0))) {
    case GridGeometry::PressTarget::SendStrip:
        emit sendStripPressed();
        break;
    case GridGeometry::PressTarget::IdCell:
        emit idCellPressed();
        break;
    case GridGeometry::PressTarget::None:
        break;
    }
}

int CodeGrid::clientX(const QWidget *source, const QPointF &position) const
{
    return source->mapTo(this, position.toPoint()).x() - contentsRect().left();
}

void CodeGrid::setRowSelected(int row0, bool selected)
{
    if (row0 < 0 || row0 >= int(m_selected.size()) || m_selected[row0] == selected)
        return;
    m_selected[row0] = selected;
    m_selectedCount += selected ? 1 : -1;
    updateRow(row0);
}

void CodeGrid::updateRow(int row0)
{
    if (row0 >= 0)
        viewport()->update(0, rowViewportPosition(row0), viewport()->width(), rowHeight(row0));
}

QList<int> CodeGrid::columnWidths() const
{
    QList<int> widths;
    const int count = model() != nullptr ? model()->columnCount() : 0;
    for (int i = 0; i < count; ++i)
        widths.append(columnWidth(i));
    return widths;
}

QStringList CodeGrid::columnNames() const
{
    QStringList names;
    const int count = model() != nullptr ? model()->columnCount() : 0;
    for (int i = 0; i < count; ++i)
        names.append(model()->headerData(i, Qt::Horizontal).toString());
    return names;
}
