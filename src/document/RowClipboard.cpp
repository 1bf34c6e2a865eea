#include "document/RowClipboard.h"

#include "document/CodeTable.h"
#include "document/TableWalkGuard.h"

#include <algorithm>

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

RowClipboard::RowClipboard()
    : ClipFunction(Capacity)
    , ClipRemark(Capacity)
    , ClipBlock(Capacity)
{
}

QList<int> RowClipboard::copyRows(CodeTable &table, const QList<int> &selectedRows)
{
    const TableWalkGuard guard(table, TableWalkGuard::AfterScroll);
    const QList<int> rows = rowsToCopy(table, selectedRows);

    // Read everything first, so that a refused row number changes nothing.
    QList<QString> functions;
    QList<QString> remarks;
    QList<TIRDataBlock> blocks;
    for (int row : rows) {
        table.setRecNo(row);
        functions.append(table.fieldText(FunctionField));
        remarks.append(table.fieldText(RemarkField));
        // A short field is completed the way Compile completes it.
        blocks.append(TIRDataBlock::fromField(table.irData(), 0xFF));
    }

    ClipCount = int(rows.size());
    std::copy(functions.cbegin(), functions.cend(), ClipFunction.begin());
    std::copy(remarks.cbegin(), remarks.cend(), ClipRemark.begin());
    std::copy(blocks.cbegin(), blocks.cend(), ClipBlock.begin());
    return rows;
}

QList<int> RowClipboard::pasteRows(CodeTable &table) const
{
    QList<int> written;
    if (ClipCount == 0 || table.recordCount() == 0)
        return written;

    const TableWalkGuard guard(table, TableWalkGuard::AfterScroll);
    for (int i = 0; i < ClipCount; ++i) {
        if (i > 0)
            table.next();
        table.edit();
        table.setField(FunctionField, ClipFunction.at(i));
        table.setField(RemarkField, ClipRemark.at(i));
        table.setField(IrDataField, ClipBlock.at(i).toByteArray());
        table.post();
        written.append(table.recNo());
        if (table.recNo() == table.recordCount())
            break;
    }
    return written;
}
