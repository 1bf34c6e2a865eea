#pragma once

class CodeTable;

// Insert and Delete move field values between rows; no row is added or
// removed and "ID" never changes. Every field but "ID" moves by value, a null
// staying null. Both hooks are detached and the bound views suspended for the
// whole pass, so nothing is derived or redrawn on the way.
//
// The pass spans rows cur to the last slot row: the 512th row, or the last
// row of a table with fewer rows. On a row beyond the 512th only that row is
// emptied. A row number outside the table throws ZoqError before any row
// changes.

// Opens an empty row at cur and pushes the rows below it down by one; the
// content of the last slot row is lost. Row cur stays current.
void insertEmptyRow(CodeTable &table, int cur);

// The row whose content an insert at cur loses: the last slot row, or cur
// itself on a row beyond it.
[[nodiscard]] int pushedOutRow(const CodeTable &table, int cur);

// True when row (from 1) holds what a freed row holds: no text in any field
// after "ID" and an "IR Data" of zero bytes only (or none).
[[nodiscard]] bool isEmptyRow(const CodeTable &table, int row);

// Removes the content of row cur and pulls the rows below it up by one; the
// last slot row becomes empty. Row cur is current afterwards.
void deleteRowContent(CodeTable &table, int cur);
