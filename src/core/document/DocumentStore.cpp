#include "core/document/DocumentStore.h"

#include "core/common/SafeFile.h"
#include "core/common/ZoqError.h"
#include "core/document/CodeTable.h"
#include "core/document/SqliteConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QResource>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

namespace {

QString fileText(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// A rollback journal left by a crash belongs to the file that was replaced;
// the engine would otherwise play it back into the new one.
void removeStaleJournal(const QString &path)
{
    QFile::remove(path + QLatin1String("-journal"));
}

[[noreturn]] void cannotWrite(const QString &path, const QString &reason)
{
    throw ZoqError(QStringLiteral("Cannot write \"%1\": %2.").arg(fileText(path), reason));
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

std::filesystem::path nativePath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// Whether another program holds a lock on the file at path: a database
// engine's lock (byte-range locks, as SQLite takes them while it reads or
// writes) or a whole-file lock. The locks of this process do not count.
bool isLockedElsewhere(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock probe{};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    bool locked = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    if (!locked && ::flock(fd, LOCK_EX | LOCK_NB) != 0)
        locked = errno == EWOULDBLOCK;
    ::close(fd); // also lets go of the whole-file lock just taken
    return locked;
}

// The name of the new document while it is built beside target.
QString pendingPattern(const QString &target)
{
    return QLatin1Char('.') + QFileInfo(target).fileName() + QLatin1String(".saving-XXXXXX");
}

// A Save killed half-way leaves its pending file behind; the next Save to
// the same target removes it. A pending file that another running copy is
// building is locked and stays.
void removeLeftPendingFiles(const QString &target)
{
    const QDir folder = QFileInfo(target).absoluteDir();
    QString pattern = QRegularExpression::escape(pendingPattern(target));
    pattern.replace(QLatin1String("XXXXXX"), QLatin1String("[A-Za-z0-9]{6}"));
    const QRegularExpression pending(QLatin1Char('^') + pattern + QLatin1Char('$'));
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString &name : names) {
        const QString path = folder.filePath(name);
        if (pending.match(name).hasMatch() && !isLockedElsewhere(path)) {
            QFile::remove(path);
            removeStaleJournal(path);
        }
    }
}

// The new document while it is being built, in a hidden file in the target's
// folder (so that the final rename stays within one file system). It is kept
// open and locked as a whole so that no other copy of the program takes it
// for a left-over, and it is removed again unless moveOver() put it in place.
class PendingFile final
{
    Q_DISABLE_COPY_MOVE(PendingFile)

public:
    explicit PendingFile(const QString &target)
        : m_target(QFileInfo(target).absoluteFilePath())
        , m_file(QFileInfo(m_target).absolutePath() + QLatin1Char('/') + pendingPattern(m_target))
    {
        if (!m_file.open()) {
            throw ZoqError(QStringLiteral("Cannot create a file in \"%1\": %2.")
                               .arg(fileText(QFileInfo(m_target).absolutePath()), m_file.errorString()));
        }
        if (::flock(m_file.handle(), LOCK_EX | LOCK_NB) != 0)
            cannotWrite(m_target, systemError());
        const QByteArray bytes = DocumentStore::templateBytes();
        if (m_file.write(bytes) != bytes.size() || !m_file.flush())
            cannotWrite(m_target, m_file.errorString());
        const QFileInfo existing(m_target);
        const QFile::Permissions permissions = existing.exists()
            ? existing.permissions()
            : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
        if (!m_file.setPermissions(permissions))
            cannotWrite(m_target, m_file.errorString());
    }

    ~PendingFile() { removeStaleJournal(m_file.fileName()); }

    [[nodiscard]] QString path() const { return m_file.fileName(); }

    // Puts the finished file in place of the target, once it is on the disk
    // and no other program holds the target.
    void moveOver()
    {
        if (::fsync(m_file.handle()) != 0)
            cannotWrite(m_target, systemError());
        if (isLockedElsewhere(m_target)) {
            throw ZoqError(QStringLiteral("Cannot replace \"%1\": the file is in use by another program.")
                               .arg(fileText(m_target)));
        }
        std::error_code failure;
        std::filesystem::rename(nativePath(m_file.fileName()), nativePath(m_target), failure);
        if (failure) {
            throw ZoqError(QStringLiteral("Cannot replace \"%1\": %2.")
                               .arg(fileText(m_target), QString::fromStdString(failure.message())));
        }
        m_file.setAutoRemove(false);
        removeStaleJournal(m_target);
    }

private:
    QString m_target;
    QTemporaryFile m_file;
};

QStringList templateKeyRows(const SqliteConnection &connection, QList<qint64> &rowids, const QString &what)
{
    QSqlQuery query = connection.exec(QStringLiteral("Select _rowid_, * from KeyInfo"), what);
    const QSqlRecord record = query.record();
    QStringList names;
    for (int i = 1; i < record.count(); ++i)
        names.append(record.fieldName(i));
    while (query.next())
        rowids.append(query.value(0).toLongLong());
    return names;
}

void appendModuleInfo(const SqliteConnection &connection, const CodeTable &source, const QString &what)
{
    QSqlQuery insert = connection.prepare(
        QStringLiteral("INSERT INTO ModelInfo (\"Module Name\", \"Type\", \"Manufactory\", \"Module ID\", "
                       "\"ReCyc\", \"Remark\") VALUES (?, ?, ?, ?, ?, ?)"),
        what);
    const ModuleInfo &info = source.moduleInfo();
    // Empty module texts are stored as empty text, not null.
    auto text = [](const QString &value) { return value.isNull() ? QStringLiteral("") : value; };
    insert.addBindValue(text(info.moduleName));
    insert.addBindValue(text(info.type));
    insert.addBindValue(text(info.manufactory));
    insert.addBindValue(text(info.moduleId));
    insert.addBindValue(info.reCyc);
    insert.addBindValue(text(info.remark));
    SqliteConnection::exec(insert, what);
}

void copyRows(const SqliteConnection &connection, const CodeTable &source,
              const std::function<void(int)> &progress, const QString &what)
{
    QList<qint64> rowids;
    const QStringList names = templateKeyRows(connection, rowids, what);
    const int fields = source.fieldCount();
    if (fields > names.size()) {
        throw ZoqError(QStringLiteral("%1: the code table has %2 fields, a document holds %3.")
                           .arg(what)
                           .arg(fields)
                           .arg(names.size()));
    }
    if (rowids.isEmpty() && source.recordCount() > 0)
        throw ZoqError(QStringLiteral("%1: the template holds no rows.").arg(what));

    QStringList assignments;
    for (int j = 0; j < fields; ++j)
        assignments.append(SqliteConnection::quoted(names.at(j)) + QLatin1String("=?"));
    QSqlQuery update = connection.prepare(
        QStringLiteral("UPDATE KeyInfo SET %1 WHERE _rowid_=?").arg(assignments.join(QLatin1Char(','))), what);
    for (int i = 0; i < source.recordCount(); ++i) {
        for (int j = 0; j < fields; ++j)
            update.bindValue(j, source.valueAt(i, j));
        update.bindValue(fields, rowids.at(std::min<qsizetype>(i, rowids.size() - 1)));
        SqliteConnection::exec(update, what);
        if (progress)
            progress(i);
    }
}

void fill(SqliteConnection &connection, const CodeTable &source, const std::function<void(int)> &progress,
          const QString &what)
{
    connection.transaction(what);
    try {
        appendModuleInfo(connection, source, what);
        copyRows(connection, source, progress, what);
        connection.commit(what);
    } catch (...) {
        connection.rollback();
        throw;
    }
}

} // namespace

namespace DocumentStore {

QByteArray templateBytes()
{
    // The resource is stored uncompressed: its bytes are used where they lie.
    const QResource resource(QStringLiteral(":/ID_MDB"));
    if (!resource.isValid() || resource.size() == 0 || resource.compressionAlgorithm() != QResource::NoCompression)
        throw ZoqError(QStringLiteral("RES file read error!"));
    return QByteArray::fromRawData(reinterpret_cast<const char *>(resource.data()), resource.size());
}

void writeTemplate(const QString &path)
{
    // The program's folder may allow writing the file but not creating new ones.
    SafeFile::write(path, templateBytes(), SafeFile::Fallback::OverwriteInPlace);
    removeStaleJournal(path);
}

void saveAs(const CodeTable &source, const QString &target, const std::function<void(int)> &progress)
{
    if (!source.isOpen())
        throw ZoqError(QStringLiteral("No code table is open."));
    const QFileInfo existing(target);
    if (existing.exists() && !existing.isWritable())
        throw ZoqError(QStringLiteral("Cannot replace \"%1\": the file is read-only.").arg(fileText(target)));

    const QString what = QStringLiteral("Cannot write the document \"%1\"").arg(fileText(target));
    removeLeftPendingFiles(target);
    PendingFile pending(target);
    {
        SqliteConnection connection(pending.path());
        // A failed build is thrown away whole, so the new file needs no
        // rollback journal; the commit still syncs it before the rename.
        connection.exec(QStringLiteral("PRAGMA journal_mode=OFF"), what);
        fill(connection, source, progress, what);
    }
    pending.moveOver();
}

} // namespace DocumentStore
