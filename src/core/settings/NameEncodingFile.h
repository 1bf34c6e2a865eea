#pragma once

#include "core/signal/NameEncoding.h"

#include <QByteArray>
#include <QString>

// "ZOQ-names.ini" beside "ZOQ.ini": the encoding in which key names in the
// blocks are read and written. It is a choice of the person at the machine,
// not of the module, so it is kept apart from the module settings. Read at
// start-up, written whenever the choice changes.
namespace NameEncodingFile {

// The program's directory followed by "ZOQ-names.ini".
[[nodiscard]] QString path(const QString &programDir);

// Latin-1 when the file, its key or a known value is missing, and when the
// file cannot be read (refusal then receives the reason).
[[nodiscard]] NameEncoding::Kind read(const QString &path, QString *refusal = nullptr);

// The whole file: "[NAMES]" and "ENCODING=" with the encoding's label, each
// line ending in CR LF.
[[nodiscard]] QByteArray text(NameEncoding::Kind kind);

// Replaces the file at path with text(kind), whole or not at all; a failure
// throws ZoqError with the file system's text.
void write(const QString &path, NameEncoding::Kind kind);

} // namespace NameEncodingFile
