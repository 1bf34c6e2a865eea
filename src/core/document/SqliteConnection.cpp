#include "core/document/SqliteConnection.h"

#include "core/common/ZoqError.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>

#include <atomic>

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
    if (!info.isFile())
        throw ZoqError(QStringLiteral("The file \"%1\" does not exist.").arg(QDir::toNativeSeparators(path)));
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_db.setDatabaseName(path);
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
