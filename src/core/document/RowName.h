#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class CodeTable;

// Key names of the current row, written into its block in the table's name
// encoding. Names are cut to the block's 15 name bytes at a character
// boundary; a character the encoding cannot store is refused, never
// replaced: refusal then receives a message naming it.
namespace RowName {

// The bytes the name text takes in the current row's block: the block's own
// name bytes when they already read as text (so an unchanged name keeps its
// bytes, even ones the encoding cannot show exactly), else text encoded.
[[nodiscard]] std::optional<QByteArray> bytesFor(const CodeTable &table, const QString &text, QString *refusal);

// Rename: writes the name bytes and one zero byte from offset 240 of the
// current row's block (the bytes after it keep their values), sets
// "Function" to name and posts the row. A refused name changes nothing and
// gives false.
[[nodiscard]] bool renameCurrentRow(CodeTable &table, const QString &name, QString *refusal);

} // namespace RowName
