#pragma once

class CodeTable;

// The body of onRowPosted: rewrites "Format", "Carry" and "Function" of
// the current row from its block and posts the row, with the after-post hook
// detached meanwhile so that its own post derives nothing. A field shorter
// than 512 bytes (null included) is read as deriveFields() reads it: an
// empty slot whose name ends where the field ends. The name is read in the
// table's name encoding. The stored "IR Data" is not changed.
void derivePostedRow(CodeTable &table);
