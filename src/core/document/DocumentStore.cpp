#include "core/document/DocumentStore.h"

#include "core/common/SafeFile.h"
#include "core/common/ZoqError.h"
#include "core/document/CodeTable.h"
#include "core/document/SqliteConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QResource>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QTemporaryFile>

#include <algorithm>
#include <filesystem>
#include <system_error>

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

void writeBytes(QFileDevice &file, const QByteArray &bytes, const QString &path)
{
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw ZoqError(QStringLiteral("Cannot write \"%1\": %2.").arg(fileText(path), file.errorString()));
}

std::filesystem::path nativePath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// The new document while it is being built, in a hidden file in the target's
// folder (so that the final rename stays within one file system). It is
// removed again unless moveOver() put it in place.
class PendingFile final
{
    Q_DISABLE_COPY_MOVE(PendingFile)

public:
    explicit PendingFile(const QString &target)
        : m_target(QFileInfo(target).absoluteFilePath())
        , m_file(QFileInfo(m_target).absolutePath() + QLatin1String("/.") + QFileInfo(m_target).fileName()
                 + QLatin1String(".XXXXXX"))
    {
        if (!m_file.open()) {
            throw ZoqError(QStringLiteral("Cannot create a file in \"%1\": %2.")
                               .arg(fileText(QFileInfo(m_target).absolutePath()), m_file.errorString()));
        }
        writeBytes(m_file, DocumentStore::templateBytes(), m_file.fileName());
        m_file.close();
        const QFileInfo existing(m_target);
        m_file.setPermissions(existing.exists() ? existing.permissions()
                                                : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                                      | QFile::ReadOther);
    }

    ~PendingFile() { removeStaleJournal(m_file.fileName()); }

    [[nodiscard]] QString path() const { return m_file.fileName(); }

    void moveOver()
    {
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
