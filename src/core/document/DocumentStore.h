#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class CodeTable;

// Files of the document life cycle: every new document and every document
// saved under a new name starts as a byte copy of the empty template the
// program carries as its resource "ID_MDB". Failures are thrown as ZoqError.
namespace DocumentStore {

// The template's bytes; throws ZoqError("RES file read error!") when the
// resource cannot be read.
[[nodiscard]] QByteArray templateBytes();

// Writes the template to path, replacing the file there.
void writeTemplate(const QString &path);

// Writes source as a new document at target: a copy of the template with the
// module info appended to ModelInfo (it gets ID 6) and row i of source (ID
// order, posted changes not yet written included) in template row i, field
// by ordinal; rows beyond the template's last land on its last row. The file
// is built beside target and renamed over it only when complete, so a failed
// save leaves target as it was. progress(i) runs after row i is copied.
void saveAs(const CodeTable &source, const QString &target, const std::function<void(int)> &progress = {});

} // namespace DocumentStore
