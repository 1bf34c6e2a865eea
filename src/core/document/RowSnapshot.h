#pragma once

#include <QList>
#include <QVariant>

class CodeTable;

// The field values of some rows of the code table and its current row, kept
// to be put back exactly as they were: every field, the derived ones
// included, null staying null.
class RowSnapshot final
{
public:
    RowSnapshot() = default;

    // Every row of the table. The values are shared with the table until
    // either changes, so taking a snapshot costs next to nothing.
    [[nodiscard]] static RowSnapshot ofTable(const CodeTable &table);

    // Whether both snapshots hold every row of tables of the same shape
    // (rows and fields), so that their rows can be compared one by one.
    [[nodiscard]] bool sameShapeAs(const RowSnapshot &other) const;
    // Rows (from 1) whose values differ from those in earlier; both hold the
    // same rows (see sameShapeAs()).
    [[nodiscard]] QList<int> rowsChangedSince(const RowSnapshot &earlier) const;
    // The given rows (from 1) of a snapshot of the whole table, with its
    // current row.
    [[nodiscard]] RowSnapshot onlyRows(const QList<int> &rows) const;

    // Writes the rows back, one post each, with the table's hooks detached
    // and its views suspended, then makes the current row current again. The
    // stored values go back as they are: nothing is derived on the way, so
    // texts that differ from what their block would give stay as they were.
    void restore(CodeTable &table) const;

    // The current row (from 1; 0 for a table without rows).
    [[nodiscard]] int currentRow() const { return m_currentRow; }
    [[nodiscard]] qsizetype rowCount() const { return m_rows.size(); }
    // Memory the values take when they share nothing with the table.
    [[nodiscard]] qint64 byteSize() const;

private:
    int m_currentRow = 0;
    int m_tableRows = 0;
    int m_fieldCount = 0;
    QList<int> m_rows;
    QList<QVariantList> m_values;
};
