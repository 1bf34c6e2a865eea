#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// Documents built and read back with plain SQL, beside the code under test.
namespace DocumentFixtures {

// Creates the SQLite file at path (replacing it) and runs statements on it.
void writeSqlite(const QString &path, const QStringList &statements);
// Runs statements on an existing file.
void execSql(const QString &path, const QStringList &statements);
// All rows of a query on the file at path.
[[nodiscard]] QList<QVariantList> queryRows(const QString &path, const QString &sql);
[[nodiscard]] QVariant queryValue(const QString &path, const QString &sql);

// The schema of a document's two tables and the five empty ModelInfo rows.
[[nodiscard]] QStringList documentSchema();
// A document whose KeyInfo holds the given IDs in the given stored order;
// row with ID n has Function "F<n>" and an "IR Data" of irDataSize bytes of
// value n % 256 (null when irDataSize is negative).
void writeDocument(const QString &path, const QList<int> &ids, int irDataSize = 512);
[[nodiscard]] QList<int> idRange(int first, int last);

[[nodiscard]] QByteArray fileBytes(const QString &path);

} // namespace DocumentFixtures
