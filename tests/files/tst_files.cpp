#include "support/ScriptedPrompt.h"
#include "support/SpecialFiles.h"
#include "core/common/ErrorHandler.h"
#include "core/common/SafeFile.h"
#include "core/common/ZoqError.h"
#include "core/document/CodeTable.h"
#include "core/document/Document.h"
#include "core/document/DocumentStore.h"
#include "core/document/WorkingFileLock.h"
#include "core/formats/CodeExport.h"
#include "core/formats/CodeImport.h"
#include "core/image/CompiledImage.h"
#include "core/settings/NameEncodingFile.h"
#include "core/settings/SettingsFile.h"
#include "core/signal/IrDataText.h"
#include "core/signal/IrEncoder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <sys/mount.h>
#include <unistd.h>

using SpecialFiles::Kind;
Q_DECLARE_METATYPE(Kind)

// Every file the program reads from outside or writes: a full disk keeps the
// old file and is told; pipes, devices and folders are refused at once.
class TestFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void writersKeepTheOldFileOnAFullDisk_data();
    void writersKeepTheOldFileOnAFullDisk();
    void fullDiskIsToldToTheUser();

    void readersRefuseSpecialFiles_data();
    void readersRefuseSpecialFiles();
    void readersRefuseOversizedFiles_data();
    void readersRefuseOversizedFiles();
    void writersRefuseSpecialFiles_data();
    void writersRefuseSpecialFiles();

private:
    [[nodiscard]] QString file(const QString &name) const { return m_dir->filePath(name); }
    // Mounts a small file system of its own on the folder "disk" (the test
    // runs as root) and returns its path; skips the test where it cannot.
    [[nodiscard]] QString mountSmallDisk();
    void fillDisk();

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_disk;
};

namespace {

// Runs action; the text of the ZoqError it throws, empty when it throws none.
QString errorText(const std::function<void()> &action)
{
    try {
        action();
    } catch (const ZoqError &error) {
        return error.message();
    }
    return {};
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray someBlock()
{
    QByteArray block(512, '\x11');
    block[0] = 'r';
    return block;
}

} // namespace

void TestFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestFiles::cleanup()
{
    if (!m_disk.isEmpty())
        ::umount2(QFile::encodeName(m_disk).constData(), MNT_DETACH);
    m_disk.clear();
    m_dir.reset();
}

QString TestFiles::mountSmallDisk()
{
    const QString disk = file(QStringLiteral("disk"));
    if (!QDir().mkpath(disk))
        return {};
    if (::geteuid() != 0
        || ::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=2m") != 0) {
        return {};
    }
    m_disk = disk;
    return disk;
}

void TestFiles::fillDisk()
{
    QFile filler(QDir(m_disk).filePath(QStringLiteral("filler")));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray chunk(4096, 'f');
    while (filler.write(chunk) == chunk.size()) {
    }
}

void TestFiles::writersKeepTheOldFileOnAFullDisk_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QString>("error");
    QTest::newRow("IR data text") << "text" << "No space left on device";
    QTest::newRow("settings") << "settings" << "No space left on device";
    QTest::newRow("key names") << "names" << "No space left on device";
    QTest::newRow("compiled image") << "image" << "No space left on device";
    QTest::newRow("working file") << "working" << "No space left on device";
    QTest::newRow("document under a new name") << "saveAs" << "No space left on device";
    QTest::newRow("changes onto the document") << "changes" << "database or disk is full";
}

void TestFiles::writersKeepTheOldFileOnAFullDisk()
{
    QFETCH(QString, writer);
    QFETCH(QString, error);
    const QString disk = mountSmallDisk();
    if (disk.isEmpty())
        QSKIP("A full disk is tried on a small tmpfs that only root can mount; this run cannot.");

    const QString target = QDir(disk).filePath(QStringLiteral("old-file"));
    const QString source = file(QStringLiteral("source.zoq"));
    DocumentStore::writeTemplate(source);
    CodeTable table;
    table.open(source);
    if (writer == QLatin1String("saveAs") || writer == QLatin1String("changes")) {
        DocumentStore::writeTemplate(target);
    } else {
        writeBytes(target, QByteArray("the old content\r\n").repeated(20));
    }
    if (writer == QLatin1String("changes")) {
        table.open(target);
        table.edit();
        table.setField(QStringLiteral("Remark"), QStringLiteral("changed"));
        table.post();
    }
    fillDisk();
    const QByteArray before = bytesOf(target);
    const QStringList entriesBefore = entries(disk);

    const QString message = errorText([&] {
        if (writer == QLatin1String("text"))
            SafeFile::write(target, irDataText(someBlock()));
        else if (writer == QLatin1String("settings"))
            SettingsFile::writeSettings(target, SettingsFile::Settings{2, 3, 4, 2, 15});
        else if (writer == QLatin1String("names"))
            NameEncodingFile::write(target, NameEncoding::Kind::Gbk);
        else if (writer == QLatin1String("image"))
            writeImageFile(table, target);
        else if (writer == QLatin1String("working"))
            DocumentStore::writeTemplate(target);
        else if (writer == QLatin1String("saveAs"))
            DocumentStore::saveAs(table, target);
        else
            table.updateBatch();
    });
    QVERIFY2(message.contains(error), qPrintable(message));
    QCOMPARE(bytesOf(target), before);
    QCOMPARE(entries(disk), entriesBefore);
}

void TestFiles::fullDiskIsToldToTheUser()
{
    const QString disk = mountSmallDisk();
    if (disk.isEmpty())
        QSKIP("A full disk is tried on a small tmpfs that only root can mount; this run cannot.");
    ScriptedPrompt prompt;
    CodeTable table;
    Document document(table, prompt, file(QStringLiteral("Temp.~tmp")));
    QVERIFY(document.createNew());
    table.edit();
    table.setField(QStringLiteral("Remark"), QStringLiteral("unsaved"));
    table.post();
    fillDisk();

    prompt.queueFileName(QDir(disk).filePath(QStringLiteral("codes.zoq")));
    QVERIFY(!runShowingErrors(prompt, [&] { document.save(); }));
    QCOMPARE(prompt.asked().last().kind, QStringLiteral("notice"));
    QVERIFY2(prompt.asked().last().text.contains(QStringLiteral("No space left on device")),
             qPrintable(prompt.asked().last().text));
    QVERIFY(document.isModified());
    QCOMPARE(document.path(), document.workingPath());
    QVERIFY(!QFile::exists(QDir(disk).filePath(QStringLiteral("codes.zoq"))));
}

void TestFiles::readersRefuseSpecialFiles_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<Kind>("kind");
    for (const char *reader : {"IR data text", "compiled image", "settings", "key names", "document",
                               "working file lock", "code file"}) {
        for (Kind kind : {Kind::Pipe, Kind::Device, Kind::Folder})
            QTest::addRow("%s, %s", reader, SpecialFiles::name(kind)) << QString::fromLatin1(reader) << kind;
    }
}

// A pipe would hold the reader in open() until a writer comes, a device
// would never end: each reader refuses them at once, with a message.
void TestFiles::readersRefuseSpecialFiles()
{
    QFETCH(QString, reader);
    QFETCH(Kind, kind);
    const QString working = file(QStringLiteral("Temp.~tmp"));
    const QString path = reader == QLatin1String("working file lock") ? working + QLatin1String(".lock")
                                                                       : file(QStringLiteral("special"));
    QVERIFY(SpecialFiles::make(path, kind));
    const SpecialFiles::PipeRescue rescue(path);

    QString message;
    if (reader == QLatin1String("IR data text")) {
        message = errorText([&] {
            QFile text(path);
            SafeFile::openForReading(text);
            (void)irDataFileText(text, nullptr);
        });
    } else if (reader == QLatin1String("compiled image")) {
        message = errorText([&] { (void)readImageFile(path); });
    } else if (reader == QLatin1String("settings")) {
        QCOMPARE(SettingsFile::readSettings(path, &message), SettingsFile::Settings{});
    } else if (reader == QLatin1String("key names")) {
        QCOMPARE(NameEncodingFile::read(path, &message), NameEncoding::Kind::Latin1);
    } else if (reader == QLatin1String("document")) {
        CodeTable table;
        message = errorText([&] { table.open(path); });
        QVERIFY(!table.isOpen());
    } else if (reader == QLatin1String("code file")) {
        const IrResult<CodeImport::Source> source = CodeImport::readFile(path);
        QVERIFY(!source.isOk());
        message = source.error();
    } else {
        WorkingFileLock lock;
        message = errorText([&] { lock.acquire(working); });
        QVERIFY(!lock.isHeld());
    }
    QVERIFY2(message.contains(QStringLiteral("not a regular file")), qPrintable(message));
    QVERIFY(message.contains(QDir::toNativeSeparators(path)));
    QVERIFY(!rescue.rescued());
    QVERIFY(SpecialFiles::isStill(path, kind));
}

void TestFiles::readersRefuseOversizedFiles_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("error");
    QTest::newRow("settings of 100 KB") << "settings" << qint64(100 * 1024) << "It is larger than 65536 bytes.";
    QTest::newRow("key names of 100 KB") << "names" << qint64(100 * 1024) << "It is larger than 65536 bytes.";
    QTest::newRow("settings at the limit") << "settings" << qint64(64 * 1024) << "";
    QTest::newRow("document of 65 MB") << "document" << qint64(65) * 1024 * 1024 << "is larger than 64 MB";
}

void TestFiles::readersRefuseOversizedFiles()
{
    QFETCH(QString, reader);
    QFETCH(qint64, size);
    QFETCH(QString, error);
    const QString path = file(QStringLiteral("large"));
    if (reader == QLatin1String("document")) {
        DocumentStore::writeTemplate(path);
    } else {
        const QByteArray start = reader == QLatin1String("names") ? NameEncodingFile::text(NameEncoding::Kind::Gbk)
                                                                  : SettingsFile::settingsText({2, 3, 4, 2, 15});
        writeBytes(path, start + QByteArray(size - start.size(), ' '));
    }
    QFile grown(path);
    QVERIFY(grown.resize(size));

    QString message;
    if (reader == QLatin1String("settings")) {
        const SettingsFile::Settings written{2, 3, 4, 2, 15};
        const SettingsFile::Settings read = SettingsFile::readSettings(path, &message);
        QCOMPARE(read, error.isEmpty() ? written : SettingsFile::Settings());
    } else if (reader == QLatin1String("names")) {
        QCOMPARE(NameEncodingFile::read(path, &message), NameEncoding::Kind::Latin1);
    } else {
        CodeTable table;
        message = errorText([&] { table.open(path); });
        QVERIFY(!table.isOpen());
    }
    QCOMPARE(message.isEmpty(), error.isEmpty());
    QVERIFY2(message.contains(error), qPrintable(message));
}

void TestFiles::writersRefuseSpecialFiles_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<Kind>("kind");
    for (const char *writer : {"IR data text", "settings", "key names", "working file", "compiled image", "code file"}) {
        for (Kind kind : {Kind::Pipe, Kind::Device, Kind::Folder})
            QTest::addRow("%s, %s", writer, SpecialFiles::name(kind)) << QString::fromLatin1(writer) << kind;
    }
}

// Nothing is written through a pipe or a device, and none is replaced by a
// regular file (which, as root, would replace a device node).
void TestFiles::writersRefuseSpecialFiles()
{
    QFETCH(QString, writer);
    QFETCH(Kind, kind);
    const QString path = file(QStringLiteral("special"));
    QVERIFY(SpecialFiles::make(path, kind));
    const SpecialFiles::PipeRescue rescue(path);

    const QString message = errorText([&] {
        if (writer == QLatin1String("IR data text")) {
            SafeFile::write(path, irDataText(someBlock()));
        } else if (writer == QLatin1String("settings")) {
            SettingsFile::writeSettings(path, {});
        } else if (writer == QLatin1String("key names")) {
            NameEncodingFile::write(path, NameEncoding::Kind::Gbk);
        } else if (writer == QLatin1String("working file")) {
            DocumentStore::writeTemplate(path);
        } else {
            const QString source = file(QStringLiteral("source.zoq"));
            DocumentStore::writeTemplate(source);
            CodeTable table;
            table.open(source);
            if (writer == QLatin1String("code file")) {
                table.setRecNo(1);
                table.edit();
                IrCode code;
                code.protocol = IrProtocol::Nec;
                table.setField(QStringLiteral("IR Data"), IrEncoder::block(code).value().toByteArray());
                table.post();
                (void)CodeExport::exportToFile(table, {1}, CodeFormat::Pronto, path);
            } else {
                writeImageFile(table, path);
            }
        }
    });
    QVERIFY2(message.contains(QStringLiteral("not a regular file")), qPrintable(message));
    QVERIFY(!rescue.rescued());
    QVERIFY(SpecialFiles::isStill(path, kind));
}

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
