// zoq-mktemplate: writes the empty document that the program carries as its
// resource "ID_MDB". Every new document starts as a byte copy of it.

#include "core/common/ZoqError.h"
#include "core/document/SqliteConnection.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlQuery>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int SlotCount = 512;
constexpr int BlockSize = 512;
constexpr int ModelInfoRows = 5;

// KeyInfo has no primary key; "编号" is its index on ID, not unique.
// ModelInfo's AutoNumber ID continues after the template's five rows.
const QStringList Schema = {
    QStringLiteral("CREATE TABLE \"KeyInfo\" (\"ID\" INTEGER, \"Function\" TEXT, \"Format\" TEXT, "
                   "\"Carry\" TEXT, \"IR Data\" BLOB, \"Remark\" TEXT)"),
    QStringLiteral("CREATE INDEX \"编号\" ON \"KeyInfo\" (\"ID\" ASC)"),
    QStringLiteral("CREATE TABLE \"ModelInfo\" (\"ID\" INTEGER CONSTRAINT \"PrimaryKey\" PRIMARY KEY "
                   "AUTOINCREMENT, \"Module Name\" TEXT, \"Type\" TEXT, \"Manufactory\" TEXT, "
                   "\"Module ID\" TEXT, \"ReCyc\" INTEGER DEFAULT 0, \"Remark\" TEXT)"),
};

void insertRows(const SqliteConnection &connection, const QString &what)
{
    QSqlQuery key = connection.prepare(
        QStringLiteral("INSERT INTO \"KeyInfo\" VALUES (?, '', '', '', zeroblob(%1), NULL)").arg(BlockSize), what);
    for (int id = 1; id <= SlotCount; ++id) {
        key.bindValue(0, id);
        SqliteConnection::exec(key, what);
    }
    for (int row = 0; row < ModelInfoRows; ++row) {
        connection.exec(QStringLiteral("INSERT INTO \"ModelInfo\" (\"Module Name\", \"Type\", \"Manufactory\", "
                                       "\"Module ID\", \"ReCyc\", \"Remark\") VALUES ('', '', '', '', 0, '')"),
                        what);
    }
}

void build(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw ZoqError(QStringLiteral("Cannot create %1: %2").arg(path, file.errorString()));
    file.close();

    SqliteConnection connection(path);
    const QString what = QStringLiteral("Cannot build the template %1").arg(path);
    connection.transaction(what);
    for (const QString &statement : Schema)
        connection.exec(statement, what);
    insertRows(connection, what);
    connection.commit(what);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zoq-mktemplate <output file>\n");
        return 2;
    }
    try {
        build(QString::fromLocal8Bit(argv[1]));
    } catch (const ZoqError &error) {
        std::fprintf(stderr, "zoq-mktemplate: %s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
