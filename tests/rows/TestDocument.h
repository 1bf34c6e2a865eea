#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

class CodeTable;

// Code table documents for the row and image tests, written straight into
// SQLite with the KeyInfo and ModelInfo tables of a ".zoq" file.
namespace TestDocument {

enum class Content {
    Template, // every row as in a new document: empty texts, 512 zero bytes
    Distinct, // every row different; some fields null; "Function" differs from the block's name
};

void write(const QString &path, int rows, Content content);

// The fields after "ID" ("Function", "Format", "Carry", "IR Data", "Remark").
using Row = QList<QVariant>;

[[nodiscard]] Row distinctRow(int n);
[[nodiscard]] QByteArray distinctBlock(int n);
// What Insert and Delete leave in a freed row.
[[nodiscard]] Row emptyRow();
// Row n (from 1) of an open table, fields after "ID".
[[nodiscard]] Row rowOf(const CodeTable &table, int n);
// Every KeyInfo row of the file at path in stored order, read with plain SQL:
// each field's value followed by its storage class, so that a text stored
// where bytes were (or null where an empty text was) shows.
[[nodiscard]] QList<QVariantList> storedRows(const QString &path);

} // namespace TestDocument

namespace TestDocument {

// Counts of the table's hook runs; see attachHooks().
struct HookCounts
{
    int posts = 0;
    int scrolls = 0;
};

// Attaches hooks like the main window's: after each post the row's "Format",
// "Carry" and "Function" are derived from its block; both hooks count their
// runs into counts (the derivation's own post does not run the hook).
void attachHooks(CodeTable &table, HookCounts &counts);

} // namespace TestDocument
