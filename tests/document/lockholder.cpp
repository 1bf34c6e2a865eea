// Holds a lock for a test in another process, reports "locked" on standard
// output (or why it could not) and keeps the lock until its standard input
// closes.
//
//   zoq_lockholder <path>                   the working file lock of path
//   zoq_lockholder --sqlite-write <path>    a write transaction on the SQLite file at path
//   zoq_lockholder --sqlite-read <path>     a read transaction on it
//   zoq_lockholder --whole-file <path>      a whole-file lock (flock) on the file at path

#include "core/common/ZoqError.h"
#include "core/document/WorkingFileLock.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>

namespace {

// Runs the statements on a connection that stays open; the empty text when
// they ran, else the engine's words.
QString holdTransaction(const QString &path, const QStringList &statements)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(path);
    if (!db.open())
        return db.lastError().text();
    QSqlQuery query(db);
    for (const QString &sql : statements) {
        if (!query.exec(sql))
            return query.lastError().text();
    }
    return {};
}

QString lockWholeFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return QStringLiteral("cannot lock");
    return {}; // the descriptor stays open, and with it the lock
}

QString takeLock(int argc, char *argv[], WorkingFileLock &workingLock)
{
    if (argc == 2) {
        try {
            workingLock.acquire(QString::fromLocal8Bit(argv[1]));
        } catch (const ZoqError &error) {
            return error.message();
        }
        return {};
    }
    const QString path = QString::fromLocal8Bit(argv[2]);
    if (std::strcmp(argv[1], "--sqlite-write") == 0)
        return holdTransaction(path, {QStringLiteral("BEGIN IMMEDIATE")});
    if (std::strcmp(argv[1], "--sqlite-read") == 0)
        return holdTransaction(path, {QStringLiteral("BEGIN"), QStringLiteral("SELECT count(*) FROM sqlite_master")});
    if (std::strcmp(argv[1], "--whole-file") == 0)
        return lockWholeFile(path);
    return QStringLiteral("unknown lock");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2 && argc != 3)
        return 2;
    WorkingFileLock workingLock;
    const QString failure = takeLock(argc, argv, workingLock);
    if (!failure.isEmpty()) {
        std::printf("%s\n", qPrintable(failure));
        return 1;
    }
    std::printf("locked\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}
