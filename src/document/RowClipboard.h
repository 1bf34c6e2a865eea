#pragma once

#include "document/SlotCount.h"
#include "irsignal/TIRDataBlock.h"

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

    RowClipboard();

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

    [[nodiscard]] bool canPaste() const { return ClipCount != 0; }

    // Set only by copyRows(). Entries at and beyond ClipCount are left from
    // earlier copies and never read.
    int ClipCount = 0;
    QList<QString> ClipFunction;
    QList<QString> ClipRemark;
    QList<TIRDataBlock> ClipBlock;
};
