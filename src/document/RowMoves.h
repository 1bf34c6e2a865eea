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

// Removes the content of row cur and pulls the rows below it up by one; the
// last slot row becomes empty. Row cur is current afterwards.
void deleteRow(CodeTable &table, int cur);
