#include "core/document/RowClipboard.h"

#include "core/document/CodeTable.h"
#include "core/document/TableWalkGuard.h"

#include <algorithm>
#include <utility>

namespace {

const QString FunctionField = QStringLiteral("Function");
const QString RemarkField = QStringLiteral("Remark");
const QString IrDataField = QStringLiteral("IR Data");

QList<int> rowsToCopy(const CodeTable &table, QList<int> rows)
{
    if (rows.isEmpty())
        rows.append(table.recNo());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows.first(std::min<qsizetype>(rows.size(), RowClipboard::Capacity));
}

} // namespace

QList<int> RowClipboard::copyRows(CodeTable &table, const QList<int> &selectedRows)
{
    const TableWalkGuard guard(table, TableWalkGuard::AfterRowChange);
    const QList<int> rows = rowsToCopy(table, selectedRows);

    // Read everything first, so that a refused row number changes nothing.
    QList<QString> functions;
    QList<QString> remarks;
    QList<IrBlock> blocks;
    for (int row : rows) {
        table.setRecNo(row);
        functions.append(table.fieldText(FunctionField));
        remarks.append(table.fieldText(RemarkField));
        // A short field is completed the way Compile completes it.
        blocks.append(IrBlock::fromField(table.irData(), 0xFF));
    }

    m_rowCount = int(rows.size());
    m_functions = std::move(functions);
    m_remarks = std::move(remarks);
    m_blocks = std::move(blocks);
    return rows;
}

QList<int> RowClipboard::pasteRows(CodeTable &table) const
{
    QList<int> written;
    if (m_rowCount == 0 || table.recordCount() == 0)
        return written;

    const TableWalkGuard guard(table, TableWalkGuard::AfterRowChange);
    for (int i = 0; i < m_rowCount; ++i) {
        if (i > 0)
            table.next();
        table.edit();
        table.setField(FunctionField, m_functions.at(i));
        table.setField(RemarkField, m_remarks.at(i));
        table.setField(IrDataField, m_blocks.at(i).toByteArray());
        table.post();
        written.append(table.recNo());
        if (table.recNo() == table.recordCount())
            break;
    }
    return written;
}
