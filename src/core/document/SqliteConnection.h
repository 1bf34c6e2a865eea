#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

class QSqlError;
class ZoqError;
struct sqlite3;

// One uniquely named connection to an existing SQLite file, removed again
// when the object goes. Every failure is thrown as ZoqError whose text names
// what was being done and carries the engine's own words.
class SqliteConnection final
{
    Q_DISABLE_COPY_MOVE(SqliteConnection)

public:
    // Opens the file at path, which must exist: the engine would otherwise
    // create an empty database in its place.
    explicit SqliteConnection(const QString &path);
    ~SqliteConnection();

    [[nodiscard]] const QString &path() const { return m_path; }
    // The engine's own handle of the connection, for settings the SQL
    // driver does not offer.
    [[nodiscard]] sqlite3 *handle() const;

    // Runs sql; what describes the step for the error text.
    QSqlQuery exec(const QString &sql, const QString &what) const;
    [[nodiscard]] QSqlQuery prepare(const QString &sql, const QString &what) const;
    // Runs a prepared statement.
    static void exec(QSqlQuery &query, const QString &what);
    // After next() has returned false: throws when the rows ended by an
    // error (a damaged file, a statement stopped) rather than at their end.
    static void checkRowsRead(const QSqlQuery &query, const QString &what);

    void transaction(const QString &what);
    void commit(const QString &what);
    // Leaves the file as the last commit left it; never throws.
    void rollback() noexcept;

    // The engine's words for a damaged file say so plainly.
    [[nodiscard]] static ZoqError error(const QString &what, const QSqlError &error);
    // The name quoted for SQL text: "IR Data", "a""b".
    [[nodiscard]] static QString quoted(const QString &identifier);

private:
    QString m_path;
    QString m_connectionName;
    QSqlDatabase m_db;
};
