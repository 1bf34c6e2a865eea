#include "TestDocument.h"

#include "core/document/CodeTable.h"
#include "core/document/DerivePostedRow.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>

namespace TestDocument {

namespace {

constexpr int FieldsAfterId = 5;

void exec(QSqlQuery &query, const QString &sql)
{
    if (!query.exec(sql))
        qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
}

Row templateRow()
{
    const QVariant emptyText = QStringLiteral("");
    return {emptyText, emptyText, emptyText, QByteArray(512, '\0'), QVariant()};
}

void fill(QSqlDatabase &db, int rows, Content content)
{
    QSqlQuery query(db);
    exec(query, QStringLiteral("CREATE TABLE KeyInfo (ID INTEGER, Function TEXT, Format TEXT, "
                               "Carry TEXT, \"IR Data\" BLOB, Remark TEXT)"));
    exec(query, QStringLiteral("CREATE TABLE ModelInfo (ID INTEGER PRIMARY KEY AUTOINCREMENT, "
                               "\"Module Name\" TEXT, Type TEXT, Manufactory TEXT, "
                               "\"Module ID\" TEXT, ReCyc INTEGER DEFAULT 0, Remark TEXT)"));
    exec(query, QStringLiteral("INSERT INTO ModelInfo (\"Module Name\", Type, Manufactory, "
                               "\"Module ID\", ReCyc, Remark) VALUES ('', '', '', '', 0, '')"));
    query.prepare(QStringLiteral("INSERT INTO KeyInfo VALUES (?, ?, ?, ?, ?, ?)"));
    // Stored in reverse to show that the table orders rows by ID.
    for (int n = rows; n >= 1; --n) {
        query.addBindValue(n);
        for (const QVariant &value : content == Content::Template ? templateRow() : distinctRow(n))
            query.addBindValue(value);
        if (!query.exec())
            qFatal("insert: %s", qPrintable(query.lastError().text()));
    }
}

} // namespace

void write(const QString &path, int rows, Content content)
{
    const QString connection = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("open %s: %s", qPrintable(path), qPrintable(db.lastError().text()));
        db.transaction();
        fill(db, rows, content);
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

QByteArray distinctBlock(int n)
{
    QByteArray block(512, '\0');
    for (int i = 0; i < block.size(); ++i)
        block[i] = char((n * 7 + i) & 0xFF);
    block[0] = 'r';
    block[1] = char(n % 256);
    const QByteArray name = "KEY" + QByteArray::number(n);
    block.replace(240, name.size() + 1, name + '\0');
    return block;
}

Row distinctRow(int n)
{
    const auto orNull = [n](int every, const QString &text) {
        return n % every == 0 ? QVariant() : QVariant(text);
    };
    return {orNull(5, QStringLiteral("F%1").arg(n)), orNull(2, QStringLiteral("Normal")),
            orNull(2, QString::number(n)), distinctBlock(n), orNull(3, QStringLiteral("R%1").arg(n))};
}

Row emptyRow()
{
    return {QVariant(), QVariant(), QVariant(), QByteArray(512, '\0'), QVariant()};
}

Row rowOf(const CodeTable &table, int n)
{
    Row row;
    for (int f = 1; f <= FieldsAfterId; ++f)
        row.append(table.valueAt(n - 1, f));
    return row;
}

QList<QVariantList> storedRows(const QString &path)
{
    const QString connection = QUuid::createUuid().toString();
    QList<QVariantList> rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("open %s: %s", qPrintable(path), qPrintable(db.lastError().text()));
        QSqlQuery query(db);
        exec(query, QStringLiteral("SELECT ID, typeof(ID), Function, typeof(Function), Format, typeof(Format), "
                                   "Carry, typeof(Carry), \"IR Data\", typeof(\"IR Data\"), Remark, "
                                   "typeof(Remark) FROM KeyInfo ORDER BY _rowid_"));
        while (query.next()) {
            QVariantList row;
            for (int i = 0; i < 12; ++i)
                row.append(query.value(i));
            rows.append(row);
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return rows;
}

} // namespace TestDocument

namespace TestDocument {

void attachHooks(CodeTable &table, HookCounts &counts)
{
    table.setAfterPost([&table, &counts] {
        ++counts.posts;
        derivePostedRow(table);
    });
    table.setAfterRowChange([&counts] { ++counts.scrolls; });
}

} // namespace TestDocument
