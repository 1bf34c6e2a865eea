#pragma once

#include <QList>
#include <QString>

class CodeTable;

// Commands that write keys into rows overwrite a row holding a learned key
// only when the command line says --yes. Without it they write nothing and
// name the rows.
namespace RowOverwrite {

// Throws ZoqError naming the rows of rows (from 1) that hold a learned key
// ("row 5 'Power', row 6 hold learned keys; --yes overwrites them"), unless
// confirmed or there are none.
void require(const CodeTable &table, const QList<int> &rows, bool confirmed);

} // namespace RowOverwrite
