#include "core/document/SqliteConnection.h"

#include "core/common/ZoqError.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

#include <atomic>
#include <cstring>

namespace {

QString nextConnectionName()
{
    static std::atomic<quint64> counter{0};
    return QStringLiteral("zoq-sqlite-%1").arg(++counter);
}

} // namespace

SqliteConnection::SqliteConnection(const QString &path)
    : m_path(path)
    , m_connectionName(nextConnectionName())
{
    const QFileInfo info(path);
    if (!info.exists())
        throw ZoqError(QStringLiteral("The file \"%1\" does not exist.").arg(QDir::toNativeSeparators(path)));
    // A pipe or a device would hold the engine in its first read for good.
    if (!info.isFile())
        throw ZoqError(QStringLiteral("\"%1\" is not a regular file.").arg(QDir::toNativeSeparators(path)));
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    // The engine reads a name that starts with "file:" as a URI with options.
    m_db.setDatabaseName(info.absoluteFilePath());
    // A file locked by another program makes a write wait at most this long.
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000"));
    if (!m_db.open()) {
        const QSqlError failure = m_db.lastError();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        throw error(QStringLiteral("Cannot open \"%1\"").arg(QDir::toNativeSeparators(path)), failure);
    }
}

SqliteConnection::~SqliteConnection()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

sqlite3 *SqliteConnection::handle() const
{
    const QVariant handle = m_db.driver()->handle();
    if (!handle.isValid() || std::strcmp(handle.typeName(), "sqlite3*") != 0)
        throw ZoqError(QStringLiteral("The database driver gives no SQLite handle."));
    return *static_cast<sqlite3 *const *>(handle.constData());
}

QSqlQuery SqliteConnection::exec(const QString &sql, const QString &what) const
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(sql))
        throw error(what, query.lastError());
    return query;
}

QSqlQuery SqliteConnection::prepare(const QString &sql, const QString &what) const
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw error(what, query.lastError());
    return query;
}

void SqliteConnection::exec(QSqlQuery &query, const QString &what)
{
    if (!query.exec())
        throw error(what, query.lastError());
}

void SqliteConnection::checkRowsRead(const QSqlQuery &query, const QString &what)
{
    if (query.lastError().isValid())
        throw error(what, query.lastError());
}

void SqliteConnection::transaction(const QString &what)
{
    if (!m_db.transaction())
        throw error(what, m_db.lastError());
}

void SqliteConnection::commit(const QString &what)
{
    if (!m_db.commit())
        throw error(what, m_db.lastError());
}

void SqliteConnection::rollback() noexcept
{
    m_db.rollback();
}

ZoqError SqliteConnection::error(const QString &what, const QSqlError &error)
{
    QString reason = error.databaseText().trimmed();
    if (reason.isEmpty())
        reason = error.text().trimmed();
    if ((error.nativeErrorCode().toInt() & 0xFF) == SQLITE_CORRUPT)
        reason = QStringLiteral("the file is damaged (%1)").arg(reason);
    if (reason.isEmpty())
        return ZoqError(what + QLatin1Char('.'));
    return ZoqError(QStringLiteral("%1: %2.").arg(what, reason));
}

QString SqliteConnection::quoted(const QString &identifier)
{
    QString text = identifier;
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}
