#include "core/document/RowSnapshot.h"

#include "core/document/CodeTable.h"
#include "core/document/TableWalkGuard.h"

namespace {

// What a kept row costs beyond the bytes of its texts and blocks: the row's
// list and its number.
constexpr qint64 RowOverhead = 64;

qint64 valueBytes(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return qint64(value.toString().size()) * qint64(sizeof(QChar));
    case QMetaType::QByteArray:
        return value.toByteArray().size();
    default:
        return 0;
    }
}

} // namespace

RowSnapshot RowSnapshot::ofTable(const CodeTable &table)
{
    RowSnapshot snapshot;
    snapshot.m_currentRow = table.recNo();
    snapshot.m_tableRows = table.recordCount();
    snapshot.m_fieldCount = table.fieldCount();
    snapshot.m_rows.reserve(snapshot.m_tableRows);
    snapshot.m_values.reserve(snapshot.m_tableRows);
    for (int row = 0; row < snapshot.m_tableRows; ++row) {
        snapshot.m_rows.append(row + 1);
        snapshot.m_values.append(table.rowValues(row));
    }
    return snapshot;
}

bool RowSnapshot::sameShapeAs(const RowSnapshot &other) const
{
    return m_tableRows == other.m_tableRows && m_fieldCount == other.m_fieldCount
           && m_rows.size() == m_tableRows && other.m_rows.size() == other.m_tableRows;
}

QList<int> RowSnapshot::rowsChangedSince(const RowSnapshot &earlier) const
{
    QList<int> changed;
    for (qsizetype i = 0; i < m_values.size(); ++i) {
        if (m_values.at(i) != earlier.m_values.at(i))
            changed.append(m_rows.at(i));
    }
    return changed;
}

RowSnapshot RowSnapshot::onlyRows(const QList<int> &rows) const
{
    RowSnapshot part;
    part.m_currentRow = m_currentRow;
    part.m_tableRows = m_tableRows;
    part.m_fieldCount = m_fieldCount;
    for (int row : rows) {
        part.m_rows.append(row);
        part.m_values.append(m_values.at(row - 1));
    }
    return part;
}

void RowSnapshot::restore(CodeTable &table) const
{
    const TableWalkGuard walk(
        table, TableWalkGuard::AfterPost | TableWalkGuard::AfterRowChange | TableWalkGuard::Views);
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        table.setRecNo(m_rows.at(i));
        table.edit();
        const QVariantList &values = m_values.at(i);
        for (int field = 0; field < values.size(); ++field)
            table.setField(field, values.at(field));
        table.post();
    }
    if (m_currentRow > 0)
        table.setRecNo(m_currentRow);
}

qint64 RowSnapshot::byteSize() const
{
    qint64 bytes = 0;
    for (const QVariantList &values : m_values) {
        bytes += RowOverhead + qint64(values.size()) * qint64(sizeof(QVariant));
        for (const QVariant &value : values)
            bytes += valueBytes(value);
    }
    return bytes;
}
