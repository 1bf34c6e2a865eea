#include "core/document/RowMoves.h"

#include "core/document/CodeTable.h"
#include "core/document/SlotCount.h"
#include "core/document/TableWalkGuard.h"
#include "core/signal/IrBlock.h"

#include <QByteArray>
#include <QList>
#include <QVariant>

#include <algorithm>

namespace {

constexpr int FirstMovedField = 1; // every field after "ID"

using RowValues = QList<QVariant>;

// Last row of the pass that starts at cur. Makes cur current, which also
// refuses a row number outside the table before anything is written.
int passEnd(CodeTable &table, int cur)
{
    table.setRecNo(cur);
    return pushedOutRow(table, cur);
}

RowValues readRow(const CodeTable &table)
{
    RowValues values;
    for (int f = FirstMovedField; f < table.fieldCount(); ++f)
        values.append(table.field(f));
    return values;
}

void writeRow(CodeTable &table, int row, const RowValues &values)
{
    table.setRecNo(row);
    table.edit();
    for (int f = FirstMovedField; f < table.fieldCount(); ++f)
        table.setField(f, values.at(f - FirstMovedField));
    table.post();
}

// Moves the values of row from to row to; the cursor ends on row to.
void moveRow(CodeTable &table, int from, int to)
{
    table.setRecNo(from);
    writeRow(table, to, readRow(table));
}

// An empty row reads like a row of a new document: no texts and an empty block.
void emptyRow(CodeTable &table, int row)
{
    RowValues values(table.fieldCount() - FirstMovedField);
    values[table.fieldIndex(QStringLiteral("IR Data")) - FirstMovedField] = IrBlock().toByteArray();
    writeRow(table, row, values);
}

constexpr TableWalkGuard::Parts MoveParts =
    TableWalkGuard::AfterPost | TableWalkGuard::AfterRowChange | TableWalkGuard::Views;

} // namespace

void insertEmptyRow(CodeTable &table, int cur)
{
    const TableWalkGuard guard(table, MoveParts);
    for (int k = passEnd(table, cur); k > cur; --k)
        moveRow(table, k - 1, k);
    emptyRow(table, cur);
}

int pushedOutRow(const CodeTable &table, int cur)
{
    return std::max(cur, std::min(SlotCount, table.recordCount()));
}

bool isEmptyRow(const CodeTable &table, int row)
{
    const int irData = table.fieldIndex(QStringLiteral("IR Data"));
    for (int f = FirstMovedField; f < table.fieldCount(); ++f) {
        const QVariant value = table.valueAt(row - 1, f);
        if (f == irData) {
            const QByteArray bytes = value.toByteArray();
            if (std::any_of(bytes.cbegin(), bytes.cend(), [](char byte) { return byte != 0; }))
                return false;
        } else if (!value.toString().isEmpty()) {
            return false;
        }
    }
    return true;
}

void deleteRowContent(CodeTable &table, int cur)
{
    const TableWalkGuard guard(table, MoveParts);
    const int last = passEnd(table, cur);
    for (int i = cur; i < last; ++i)
        moveRow(table, i + 1, i);
    emptyRow(table, last);
    table.setRecNo(cur);
}
