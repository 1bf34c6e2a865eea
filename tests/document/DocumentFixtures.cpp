#include "DocumentFixtures.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace {

// Runs work on a connection of its own to path, removed again afterwards.
template<typename Work>
auto withDatabase(const QString &path, Work work)
{
    static int counter = 0;
    const QString name = QStringLiteral("fixture-%1").arg(++counter);
    struct Remove
    {
        QString name;
        ~Remove() { QSqlDatabase::removeDatabase(name); }
    } remove{name};
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    if (!db.open())
        qFatal("cannot open %s: %s", qPrintable(path), qPrintable(db.lastError().text()));
    return work(db);
}

void run(QSqlDatabase &db, const QStringList &statements)
{
    QSqlQuery query(db);
    for (const QString &sql : statements) {
        if (!query.exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    }
}

} // namespace

namespace DocumentFixtures {

void writeSqlite(const QString &path, const QStringList &statements)
{
    QFile::remove(path);
    execSql(path, statements);
}

void execSql(const QString &path, const QStringList &statements)
{
    withDatabase(path, [&](QSqlDatabase &db) {
        run(db, statements);
        db.close();
        return 0;
    });
}

QList<QVariantList> queryRows(const QString &path, const QString &sql)
{
    return withDatabase(path, [&](QSqlDatabase &db) {
        QList<QVariantList> rows;
        {
            QSqlQuery query(db);
            if (!query.exec(sql))
                qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
            while (query.next()) {
                QVariantList row;
                for (int i = 0; i < query.record().count(); ++i)
                    row.append(query.value(i));
                rows.append(row);
            }
        }
        db.close();
        return rows;
    });
}

QVariant queryValue(const QString &path, const QString &sql)
{
    const QList<QVariantList> rows = queryRows(path, sql);
    return rows.isEmpty() ? QVariant() : rows.first().value(0);
}

QStringList documentSchema()
{
    QStringList schema = {
        QStringLiteral("CREATE TABLE KeyInfo (\"ID\" INTEGER, \"Function\" TEXT, \"Format\" TEXT, "
                       "\"Carry\" TEXT, \"IR Data\" BLOB, \"Remark\" TEXT)"),
        QStringLiteral("CREATE TABLE ModelInfo (\"ID\" INTEGER PRIMARY KEY AUTOINCREMENT, \"Module Name\" TEXT, "
                       "\"Type\" TEXT, \"Manufactory\" TEXT, \"Module ID\" TEXT, \"ReCyc\" INTEGER DEFAULT 0, "
                       "\"Remark\" TEXT)"),
    };
    for (int i = 0; i < 5; ++i) {
        schema.append(QStringLiteral("INSERT INTO ModelInfo (\"Module Name\", \"Type\", \"Manufactory\", "
                                     "\"Module ID\", \"ReCyc\", \"Remark\") VALUES ('', '', '', '', 0, '')"));
    }
    return schema;
}

void writeDocument(const QString &path, const QList<int> &ids, int irDataSize)
{
    QStringList statements = QStringList{QStringLiteral("BEGIN")} + documentSchema();
    for (int id : ids) {
        const QString block = irDataSize < 0
            ? QStringLiteral("NULL")
            : QStringLiteral("X'%1'").arg(QString::fromLatin1(QByteArray(irDataSize, char(id % 256)).toHex()));
        statements.append(
            QStringLiteral("INSERT INTO KeyInfo VALUES (%1, 'F%1', '', '', %2, NULL)").arg(id).arg(block));
    }
    statements.append(QStringLiteral("COMMIT"));
    writeSqlite(path, statements);
}

QList<int> idRange(int first, int last)
{
    QList<int> ids;
    for (int id = first; id <= last; ++id)
        ids.append(id);
    return ids;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace DocumentFixtures
