#include "core/document/DocumentGuard.h"

#include "core/common/ZoqError.h"
#include "core/document/SqliteConnection.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QStringList>

#include <sqlite3.h>

namespace DocumentGuard {
namespace {

// The engine's own memory (temporary data included) for every connection of
// the program together; a document needs a few megabytes.
constexpr sqlite3_int64 HeapLimit = 256 * 1024 * 1024;
constexpr int SqlLimit = 1024 * 1024;

[[nodiscard]] bool isDocumentTable(const QString &name)
{
    return name.compare(QLatin1String("KeyInfo"), Qt::CaseInsensitive) == 0
        || name.compare(QLatin1String("ModelInfo"), Qt::CaseInsensitive) == 0;
}

// Names under which the engine also knows a table's row number; a column of
// such a name takes the name over.
[[nodiscard]] bool namesRowNumber(const QString &column)
{
    for (const char *name : {"rowid", "_rowid_", "oid"}) {
        if (column.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

[[noreturn]] void cannotRestrict(const char *what, int which)
{
    throw ZoqError(QStringLiteral("The database engine cannot restrict the reading of documents (%1 %2).")
                       .arg(QLatin1String(what))
                       .arg(which));
}

void configure(sqlite3 *db, int option, int value)
{
    int state = -1;
    if (sqlite3_db_config(db, option, value, &state) != SQLITE_OK || state != value)
        cannotRestrict("setting", option);
}

void limit(sqlite3 *db, int id, int value)
{
    sqlite3_limit(db, id, value);
    if (sqlite3_limit(db, id, -1) != value)
        cannotRestrict("limit", id);
}

// Every table of the file with its kind; throws for a trigger and for a
// document table that is a view or a virtual table. Returns the names of
// the document tables the file holds.
QStringList documentTables(const SqliteConnection &connection)
{
    const QString &path = connection.path();
    const QString what = refusalPrefix(path);
    QSqlQuery schema = connection.exec(QStringLiteral("SELECT type, name, sql FROM sqlite_master"), what);
    QStringList tables;
    while (schema.next()) {
        const QString type = schema.value(0).toString();
        const QString name = schema.value(1).toString();
        if (type == QLatin1String("trigger"))
            throw refusal(path, QStringLiteral("it holds the trigger \"%1\"").arg(name));
        if (!isDocumentTable(name))
            continue;
        if (type == QLatin1String("view"))
            throw refusal(path, QStringLiteral("its table %1 is a view").arg(name));
        if (schema.value(2).toString().trimmed().startsWith(QLatin1String("CREATE VIRTUAL"), Qt::CaseInsensitive))
            throw refusal(path, QStringLiteral("its table %1 is a virtual table").arg(name));
        if (type == QLatin1String("table"))
            tables.append(name);
    }
    SqliteConnection::checkRowsRead(schema, what);
    return tables;
}

void checkColumns(const SqliteConnection &connection, const QString &table)
{
    const QString &path = connection.path();
    const QString what = refusalPrefix(path);
    QSqlQuery columns = connection.prepare(QStringLiteral("SELECT name, hidden FROM pragma_table_xinfo(?)"), what);
    columns.addBindValue(table);
    SqliteConnection::exec(columns, what);
    while (columns.next()) {
        const QString name = columns.value(0).toString();
        if (columns.value(1).toInt() != 0)
            throw refusal(path, QStringLiteral("its table %1 has the computed column \"%2\"").arg(table, name));
        if (namesRowNumber(name)) {
            throw refusal(path, QStringLiteral("its table %1 has a column named \"%2\", which hides the row numbers")
                                    .arg(table, name));
        }
    }
    SqliteConnection::checkRowsRead(columns, what);
    try {
        (void)connection.prepare(QStringLiteral("SELECT _rowid_ FROM %1").arg(SqliteConnection::quoted(table)), what);
    } catch (const ZoqError &) {
        throw refusal(path, QStringLiteral("its table %1 has no row numbers").arg(table));
    }
}

} // namespace

ZoqError refusal(const QString &path, const QString &reason)
{
    return ZoqError(QStringLiteral("%1: %2.").arg(refusalPrefix(path), reason));
}

QString refusalPrefix(const QString &path)
{
    return QStringLiteral("\"%1\" is not a ZOQ document").arg(QDir::toNativeSeparators(path));
}

void checkFileSize(const QString &path)
{
    const QFileInfo log(path + QLatin1String("-wal"));
    if (QFileInfo(path).size() + (log.isFile() ? log.size() : 0) > FileLimit)
        throw refusal(path, QStringLiteral("it is larger than %1 MB").arg(FileLimit / (1024 * 1024)));
}

void restrict(const SqliteConnection &connection)
{
    sqlite3 *db = connection.handle();
    configure(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0);
    configure(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0);
    configure(db, SQLITE_DBCONFIG_DEFENSIVE, 1);
    configure(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0);
    configure(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0);
    configure(db, SQLITE_DBCONFIG_ENABLE_FTS3_TOKENIZER, 0);
    limit(db, SQLITE_LIMIT_LENGTH, ValueLimit);
    limit(db, SQLITE_LIMIT_SQL_LENGTH, SqlLimit);
    limit(db, SQLITE_LIMIT_ATTACHED, 0);
    const sqlite3_int64 heapLimit = sqlite3_hard_heap_limit64(-1);
    if (heapLimit == 0 || heapLimit > HeapLimit)
        sqlite3_hard_heap_limit64(HeapLimit);
    const QString what = refusalPrefix(connection.path());
    connection.exec(QStringLiteral("PRAGMA temp_store=MEMORY"), what);
    // Cells whose sizes do not add up are reported as damage rather than read.
    connection.exec(QStringLiteral("PRAGMA cell_size_check=ON"), what);
}

void checkStructure(const SqliteConnection &connection)
{
    for (const QString &table : documentTables(connection))
        checkColumns(connection, table);
}

void checkIntegrity(const SqliteConnection &connection)
{
    const QString what = refusalPrefix(connection.path());
    QSqlQuery check = connection.exec(QStringLiteral("PRAGMA quick_check(1)"), what);
    const QString result = check.next() ? check.value(0).toString() : QString();
    SqliteConnection::checkRowsRead(check, what);
    if (result != QLatin1String("ok"))
        throw refusal(connection.path(), QStringLiteral("the file is damaged (%1)").arg(result));
}

} // namespace DocumentGuard
