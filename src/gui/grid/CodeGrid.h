#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTableView>

#include <vector>

class CodeGridDelegate;
class CodeGridIndicator;
class CodeTable;

// The code grid over the open code table. One line per row of the
// table, one column per field; no editing, no row added, removed or moved.
//
// The grid's current row and the table's cursor follow each other. Besides
// the current row the grid keeps a selection, a set of rows listed in table
// order: a plain click makes it the clicked row, Ctrl+click toggles a row,
// Shift+click takes the rows from the current row to the clicked one. Moving
// the current row by keyboard or by the mouse wheel (one row per notch) and
// scrolling with the vertical scroll bar clear it.
//
// Left presses are mapped by their X position alone (title row included)
// after the grid has handled them: the send strip and the rest of the "ID"
// cell raise their own signals; a double-click raises fieldDoubleClicked.
class CodeGrid final : public QTableView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CodeGrid)

public:
    explicit CodeGrid(QWidget *parent = nullptr);

    // Shows table (nullptr: nothing). Columns take their default widths.
    void setTable(CodeTable *table);
    [[nodiscard]] CodeTable *table() const { return m_table; }

    // Column 0 ("ID") to 50 pixels, as every document open does.
    void setIdColumnWidth();

    // 1-based number of the current row; 0 when the grid shows no rows.
    [[nodiscard]] int currentRowNumber() const;

    // Selected rows, 1-based and ascending.
    [[nodiscard]] QList<int> selectedRows() const;
    [[nodiscard]] int selectedCount() const { return m_selectedCount; }
    [[nodiscard]] bool isRowSelected(int row) const;
    void clearSelection();
    void addCurrentRowToSelection();
    // Adds row (1-based); numbers outside the table are ignored.
    void addRowToSelection(int row);
    // Every row of the table in one change.
    void selectAllRows();

    // The field name of the column at client position x (see GridGeometry).
    [[nodiscard]] QString columnAtX(int x) const;

    // For painting: row0 is 0-based.
    [[nodiscard]] bool isRowHighlighted(int row0) const;
    [[nodiscard]] bool isCarryEmpty(int row0) const;

signals:
    // A single left press in the send strip (12 < X <= 33).
    void sendStripPressed();
    // A single left press on the rest of the "ID" cell (33 < X <= 12 + width of column 0).
    void idCellPressed();
    // The second press of a left double-click; name is columnAtX(X), maybe empty.
    void fieldDoubleClicked(const QString &name);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyboardSearch(const QString &search) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void tableReset();
    void followTableCursor(int row0);
    void applyDefaultColumnWidths();
    void onScrollAction(int action);
    void moveCurrentRowBy(int rows);

    // The grid's own handling of a left press on a row.
    void pressRow(QMouseEvent *event);
    void applyRowPress(int row0, Qt::KeyboardModifiers modifiers, int previousRow0);
    void pressIndicator(const QMouseEvent &event);
    // The main window's reaction to a left press at client position x.
    void handleLeftPress(bool doubleClick, int x);
    [[nodiscard]] int clientX(const QWidget *source, const QPointF &position) const;

    void setRowSelected(int row0, bool selected);
    void updateRow(int row0);
    [[nodiscard]] QList<int> columnWidths() const;
    [[nodiscard]] QStringList columnNames() const;

    CodeTable *m_table = nullptr;
    CodeGridIndicator *m_indicator;
    CodeGridDelegate *m_delegate;
    std::vector<bool> m_selected;
    int m_selectedCount = 0;
    int m_carryOrdinal = -1;
    // Wheel turn not yet worth a whole notch (high-resolution wheels).
    int m_wheelRemainder = 0;
    bool m_followingTable = false;
};
