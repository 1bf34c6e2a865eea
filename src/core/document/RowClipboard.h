#pragma once

#include "core/document/SlotCount.h"
#include "core/signal/IrBlock.h"

#include <QList>
#include <QString>

class CodeTable;

// Whole rows copied from the code table and pasted over other rows, in the
// same document or in one opened later. It lives in memory for the life of
// the program; nothing goes to the system clipboard. Opening or creating a
// document does not empty it.
class RowClipboard final
{
public:
    static constexpr int Capacity = SlotCount;

    // Copies the given rows (numbers from 1), or the current row when none is
    // given, in table order; at most Capacity rows are kept. The current row
    // ends on the last copied row. The after-scroll hook is detached while the
    // rows are read. Returns the rows copied. A row number outside the table
    // throws ZoqError and leaves the clipboard as it was.
    QList<int> copyRows(CodeTable &table, const QList<int> &selectedRows);

    // Writes the held rows from the current row downwards, one post each (the
    // after-post hook derives every pasted row); rows that would fall beyond
    // the last row are dropped. The current row ends on the last row written.
    // The after-scroll hook is detached meanwhile. Returns the rows written.
    QList<int> pasteRows(CodeTable &table) const;

    [[nodiscard]] bool canPaste() const { return m_rowCount != 0; }
    // The rows held, each a function name, a remark and a block.
    [[nodiscard]] int rowCount() const { return m_rowCount; }
    [[nodiscard]] const QString &function(int i) const { return m_functions.at(i); }
    [[nodiscard]] const QString &remark(int i) const { return m_remarks.at(i); }
    [[nodiscard]] const IrBlock &block(int i) const { return m_blocks.at(i); }

private:
    // Set only by copyRows(), with the rows it copied: nothing is held
    // before the first copy.
    int m_rowCount = 0;
    QList<QString> m_functions;
    QList<QString> m_remarks;
    QList<IrBlock> m_blocks;
};
