#pragma once

#include <QString>
#include <QtGlobal>

class SqliteConnection;
class ZoqError;

// A document may come from anyone, so nothing in its file is trusted: its
// schema could hold triggers that rewrite rows at the next Save, views that
// run for hours or fill the disk, or columns that hide the row numbers the
// table is updated by. The connection that reads it is restricted first, and
// a file that is not a plain document is refused before a row is read.
namespace DocumentGuard {

// A document of 512 rows takes some 330 KB; anything near these is not one.
inline constexpr qint64 FileLimit = 64 * 1024 * 1024;
inline constexpr qint64 DataLimit = 64 * 1024 * 1024;
// The longest text or bytes the engine hands over: an IR data block is 512 bytes.
inline constexpr int ValueLimit = 4 * 1024 * 1024;
// How long the statements of opening a document, or of writing its changes,
// may run together.
inline constexpr int TimeLimitSeconds = 5;

// "<path>" is not a ZOQ document: <reason>.
[[nodiscard]] ZoqError refusal(const QString &path, const QString &reason);
// The text every error of opening path starts with.
[[nodiscard]] QString refusalPrefix(const QString &path);

// Refuses a file (with its write-ahead log) larger than FileLimit.
void checkFileSize(const QString &path);

// For as long as the connection lives: no triggers and no views run, the
// schema's own functions are held to harmless ones, the file's structure
// cannot be written through SQL, a value is at most ValueLimit long,
// temporary data stays in memory and the engine's memory is bounded.
void restrict(const SqliteConnection &connection);

// Refuses a file whose KeyInfo or ModelInfo is not a plain table of stored
// columns with row numbers, or that holds a trigger.
void checkStructure(const SqliteConnection &connection);

// Refuses a file that the engine's quick check finds damaged.
void checkIntegrity(const SqliteConnection &connection);

} // namespace DocumentGuard
