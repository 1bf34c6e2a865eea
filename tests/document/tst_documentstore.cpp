#include "DocumentFixtures.h"

#include "core/common/ZoqError.h"
#include "core/document/CodeTable.h"
#include "core/document/DocumentStore.h"
#include "core/document/WorkingFileLock.h"
#include "core/signal/IrBlock.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace DocumentFixtures;

class TestDocumentStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void templateHoldsTheEmptyDocument();
    void templateSchema();
    void writeTemplateReplacesTheFile();
    void writeTemplateReportsTheSystemError();
    void saveAsCopiesTheDocument();
    void moduleInfoSurvivesEverySave();
    void saveAsRowPlacement_data();
    void saveAsRowPlacement();
    void failedSaveAsLeavesTheTarget_data();
    void failedSaveAsLeavesTheTarget();
    void saveAsRefusesATargetInUse_data();
    void saveAsRefusesATargetInUse();
    void saveAsRemovesLeftPendingFiles();
    void workingFileLockKeepsOutASecondCopy();
    void workingFileLockTakesOverFromADeadCopy();

private:
    [[nodiscard]] QString file(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

const QString TemplateKeyQuery =
    QStringLiteral("SELECT ID, Function, Format, Carry, \"IR Data\", Remark FROM KeyInfo ORDER BY _rowid_");

QString errorText(const std::function<void()> &action)
{
    try {
        action();
    } catch (const ZoqError &error) {
        return error.message();
    }
    return {};
}

QStringList folderEntries(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void postField(CodeTable &table, int recNo, const QString &field, const QVariant &value)
{
    table.setRecNo(recNo);
    table.edit();
    table.setField(field, value);
    table.post();
}

// The lock holder of another process; it keeps the lock until finish().
class LockHolder final
{
public:
    // kind: empty for the working file lock, else the holder's option
    // ("--sqlite-write", "--sqlite-read", "--whole-file").
    explicit LockHolder(const QString &path, const QString &kind = {})
    {
        m_process.start(QStringLiteral(ZOQ_LOCKHOLDER), kind.isEmpty() ? QStringList{path} : QStringList{kind, path});
        m_process.waitForStarted();
        m_process.waitForReadyRead();
        m_reply = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~LockHolder() { finish(); }

    [[nodiscard]] const QString &reply() const { return m_reply; }
    [[nodiscard]] bool running() const { return m_process.state() == QProcess::Running; }
    void finish()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished();
    }
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
    QString m_reply;
};

} // namespace

void TestDocumentStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestDocumentStore::templateHoldsTheEmptyDocument()
{
    const QString path = file(QStringLiteral("Temp.~tmp"));
    DocumentStore::writeTemplate(path);
    QCOMPARE(fileBytes(path), DocumentStore::templateBytes());

    const QList<QVariantList> keys = queryRows(path, TemplateKeyQuery);
    QCOMPARE(keys.size(), 512);
    for (int i = 0; i < keys.size(); ++i) {
        const QVariantList &row = keys.at(i);
        QCOMPARE(row.at(0), QVariant(qlonglong(i + 1)));
        for (int text = 1; text <= 3; ++text)
            QCOMPARE(row.at(text), QVariant(QStringLiteral("")));
        QCOMPARE(row.at(4).toByteArray(), QByteArray(512, '\0'));
        QVERIFY(row.at(5).isNull());
    }
    QCOMPARE(queryValue(path, QStringLiteral("SELECT count(*) FROM KeyInfo WHERE typeof(Function)='text' AND "
                                             "typeof(\"IR Data\")='blob' AND typeof(Remark)='null'"))
                 .toInt(),
             512);

    const QList<QVariantList> models = queryRows(path, QStringLiteral("SELECT * FROM ModelInfo ORDER BY ID"));
    QCOMPARE(models.size(), 5);
    for (int i = 0; i < models.size(); ++i) {
        QCOMPARE(models.at(i), QVariantList({qlonglong(i + 1), QStringLiteral(""), QStringLiteral(""),
                                             QStringLiteral(""), QStringLiteral(""), qlonglong(0),
                                             QStringLiteral("")}));
    }
    QCOMPARE(queryValue(path, QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name='ModelInfo'")).toInt(), 5);
    execSql(path, {QStringLiteral("INSERT INTO ModelInfo (\"Module Name\") VALUES ('next')")});
    QCOMPARE(queryValue(path, QStringLiteral("SELECT ID, ReCyc FROM ModelInfo WHERE \"Module Name\"='next'")).toInt(),
             6);
    QCOMPARE(queryValue(path, QStringLiteral("SELECT ReCyc FROM ModelInfo WHERE ID=6")).toInt(), 0);
}

void TestDocumentStore::templateSchema()
{
    const QString path = file(QStringLiteral("schema.zoq"));
    DocumentStore::writeTemplate(path);

    QList<QVariantList> columns = queryRows(path, QStringLiteral("SELECT name, type, pk FROM pragma_table_info('KeyInfo')"));
    QCOMPARE(columns,
             QList<QVariantList>({{QStringLiteral("ID"), QStringLiteral("INTEGER"), qlonglong(0)},
                                  {QStringLiteral("Function"), QStringLiteral("TEXT"), qlonglong(0)},
                                  {QStringLiteral("Format"), QStringLiteral("TEXT"), qlonglong(0)},
                                  {QStringLiteral("Carry"), QStringLiteral("TEXT"), qlonglong(0)},
                                  {QStringLiteral("IR Data"), QStringLiteral("BLOB"), qlonglong(0)},
                                  {QStringLiteral("Remark"), QStringLiteral("TEXT"), qlonglong(0)}}));
    const QList<QVariantList> indexes =
        queryRows(path, QStringLiteral("SELECT name, \"unique\" FROM pragma_index_list('KeyInfo')"));
    QCOMPARE(indexes, QList<QVariantList>({{QStringLiteral("编号"), qlonglong(0)}}));
    QCOMPARE(queryValue(path, QStringLiteral("SELECT name FROM pragma_index_info('编号')")).toString(),
             QStringLiteral("ID"));

    columns = queryRows(path, QStringLiteral("SELECT name, pk, dflt_value FROM pragma_table_info('ModelInfo')"));
    QStringList names;
    for (const QVariantList &column : std::as_const(columns))
        names.append(column.at(0).toString());
    QCOMPARE(names, QStringList({QStringLiteral("ID"), QStringLiteral("Module Name"), QStringLiteral("Type"),
                                 QStringLiteral("Manufactory"), QStringLiteral("Module ID"),
                                 QStringLiteral("ReCyc"), QStringLiteral("Remark")}));
    QCOMPARE(columns.at(0).at(1).toInt(), 1);
    QCOMPARE(columns.at(5).at(2).toString(), QStringLiteral("0"));
}

void TestDocumentStore::writeTemplateReplacesTheFile()
{
    const QString path = file(QStringLiteral("Temp.~tmp"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(DocumentStore::templateBytes().size() * 2, 'x'));
    old.close();
    // A journal left by a crash must not be played back into the new file.
    QFile journal(path + QLatin1String("-journal"));
    QVERIFY(journal.open(QIODevice::WriteOnly));
    journal.write("stale");
    journal.close();

    DocumentStore::writeTemplate(path);
    QCOMPARE(fileBytes(path), DocumentStore::templateBytes());
    QVERIFY(!QFile::exists(path + QLatin1String("-journal")));
    CodeTable table;
    table.open(path);
    QCOMPARE(table.recordCount(), 512);
}

void TestDocumentStore::writeTemplateReportsTheSystemError()
{
    const QString path = file(QStringLiteral("missing/Temp.~tmp"));
    const QString message = errorText([&] { DocumentStore::writeTemplate(path); });
    QVERIFY2(message.contains(QDir::toNativeSeparators(path)), qPrintable(message));
    QVERIFY2(message.contains(QLatin1String("No such file or directory")), qPrintable(message));
    QVERIFY(!QFile::exists(path));
}

void TestDocumentStore::saveAsCopiesTheDocument()
{
    const QString sourcePath = file(QStringLiteral("source.zoq"));
    DocumentStore::writeTemplate(sourcePath);
    execSql(sourcePath, {QStringLiteral("UPDATE ModelInfo SET \"Module Name\"='RC-7', Type='TV', "
                                        "Manufactory='Acme', \"Module ID\"='M1', ReCyc=3, Remark='den' WHERE ID=1"),
                         QStringLiteral("UPDATE KeyInfo SET Function='saved', Remark='r' WHERE ID=2")});
    CodeTable source;
    source.open(sourcePath);
    postField(source, 7, QStringLiteral("Function"), QStringLiteral("unsaved"));
    postField(source, 512, QStringLiteral("IR Data"), IrBlock::filled(0x5A).toByteArray());
    const QByteArray sourceBytes = fileBytes(sourcePath);

    const QString target = file(QStringLiteral("a.zoq"));
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older file");
    old.close();
    QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));

    QList<int> progress;
    DocumentStore::saveAs(source, target, [&](int i) { progress.append(i); });

    QCOMPARE(progress, idRange(0, 511));
    const QFile::Permissions fileModeBits = ~QFile::Permissions(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
    QCOMPARE(QFile::permissions(target) & fileModeBits, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const QList<QVariantList> rows = queryRows(target, TemplateKeyQuery);
    QCOMPARE(rows.size(), 512);
    for (int i = 0; i < rows.size(); ++i) {
        for (int j = 0; j < source.fieldCount(); ++j)
            QCOMPARE(rows.at(i).at(j).isNull() ? QVariant() : rows.at(i).at(j), source.valueAt(i, j));
    }
    QCOMPARE(rows.at(1).at(1).toString(), QStringLiteral("saved"));
    QCOMPARE(rows.at(6).at(1).toString(), QStringLiteral("unsaved"));
    QCOMPARE(rows.at(511).at(4).toByteArray(), QByteArray(512, '\x5A'));

    const QList<QVariantList> models = queryRows(target, QStringLiteral("SELECT * FROM ModelInfo ORDER BY ID"));
    QCOMPARE(models.size(), 6);
    QCOMPARE(models.at(5), QVariantList({qlonglong(6), QStringLiteral("RC-7"), QStringLiteral("TV"),
                                         QStringLiteral("Acme"), QStringLiteral("M1"), qlonglong(3),
                                         QStringLiteral("den")}));
    QCOMPARE(models.at(0).at(1), QVariant(QStringLiteral("")));

    // The source keeps its file and its unsaved changes; the new file reads
    // back the module info it was given.
    QCOMPARE(fileBytes(sourcePath), sourceBytes);
    QCOMPARE(source.pendingChangeCount(), 2);
    CodeTable saved;
    saved.open(target);
    QCOMPARE(saved.moduleInfo(), source.moduleInfo());
    QCOMPARE(folderEntries(m_dir->path()), QStringList({QStringLiteral("a.zoq"), QStringLiteral("source.zoq")}));
}

void TestDocumentStore::moduleInfoSurvivesEverySave()
{
    const QString first = file(QStringLiteral("first.zoq"));
    DocumentStore::writeTemplate(first);
    execSql(first, {QStringLiteral("UPDATE ModelInfo SET \"Module Name\"='RC-7', Type='TV', Manufactory='Acme', "
                                   "\"Module ID\"='M1', ReCyc=3, Remark='den' WHERE ID=1")});
    CodeTable table;
    table.open(first);
    const ModuleInfo info = table.moduleInfo();
    QCOMPARE(info.moduleName, QStringLiteral("RC-7"));

    for (const QString &name : {QStringLiteral("second.zoq"), QStringLiteral("third.zoq")}) {
        const QString target = file(name);
        DocumentStore::saveAs(table, target);
        table.open(target);
        QCOMPARE(table.moduleInfo(), info);
        QCOMPARE(queryValue(target, QStringLiteral("SELECT count(*) FROM ModelInfo")).toInt(), 6);
        QCOMPARE(queryValue(target, QStringLiteral("SELECT Remark FROM ModelInfo WHERE ID=6")).toString(),
                 QStringLiteral("den"));
    }
}

void TestDocumentStore::saveAsRowPlacement_data()
{
    QTest::addColumn<QList<int>>("ids");

    QList<int> shuffled = idRange(1, 512);
    std::reverse(shuffled.begin(), shuffled.begin() + 200);
    std::swap(shuffled[300], shuffled[450]);
    QTest::newRow("stored out of ID order") << shuffled;
    QTest::newRow("3 rows") << QList<int>({3, 1, 2});
    QTest::newRow("700 rows") << idRange(1, 700);
}

void TestDocumentStore::saveAsRowPlacement()
{
    QFETCH(QList<int>, ids);
    const QString sourcePath = file(QStringLiteral("source.zoq"));
    writeDocument(sourcePath, ids);
    CodeTable source;
    source.open(sourcePath);

    const QString target = file(QStringLiteral("b.zoq"));
    int calls = 0;
    DocumentStore::saveAs(source, target, [&](int) { ++calls; });
    QCOMPARE(calls, ids.size());

    QList<int> sorted = ids;
    std::sort(sorted.begin(), sorted.end());
    const QList<QVariantList> rows = queryRows(target, TemplateKeyQuery);
    QCOMPARE(rows.size(), 512);
    for (int r = 0; r < rows.size(); ++r) {
        // The template's last row takes every row from the 512th on; the last one stays.
        const bool copied = r < sorted.size();
        const int id = !copied ? r + 1 : r == 511 ? sorted.last() : sorted.at(r);
        QCOMPARE(rows.at(r).at(0).toInt(), id);
        QCOMPARE(rows.at(r).at(1).toString(), copied ? QStringLiteral("F%1").arg(id) : QString());
        QCOMPARE(rows.at(r).at(4).toByteArray(), QByteArray(512, copied ? char(id % 256) : '\0'));
    }
}

void TestDocumentStore::failedSaveAsLeavesTheTarget_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("error");
    QTest::newRow("stopped half-way") << "progress" << "stopped at row 100";
    QTest::newRow("rename refused") << "folder" << "Cannot replace";
    QTest::newRow("more fields than a document") << "fields" << "the code table has 7 fields";
    QTest::newRow("source not open") << "closed" << "No code table is open.";
}

void TestDocumentStore::failedSaveAsLeavesTheTarget()
{
    QFETCH(QString, cause);
    QFETCH(QString, error);

    const QString sourcePath = file(QStringLiteral("source.zoq"));
    DocumentStore::writeTemplate(sourcePath);
    if (cause == QLatin1String("fields"))
        execSql(sourcePath, {QStringLiteral("ALTER TABLE KeyInfo ADD COLUMN Extra TEXT")});
    CodeTable source;
    if (cause != QLatin1String("closed"))
        source.open(sourcePath);

    const QString target = file(QStringLiteral("old.zoq"));
    if (cause == QLatin1String("folder")) {
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("old.zoq/inside")));
    } else {
        writeDocument(target, idRange(1, 512));
    }
    const QByteArray before = fileBytes(target);
    const QStringList entries = folderEntries(m_dir->path());

    const QString message = errorText([&] {
        DocumentStore::saveAs(source, target, [&cause](int i) {
            if (cause == QLatin1String("progress") && i == 100)
                throw ZoqError(QStringLiteral("stopped at row 100"));
        });
    });
    QVERIFY2(message.contains(error), qPrintable(message));
    QCOMPARE(fileBytes(target), before);
    QCOMPARE(folderEntries(m_dir->path()), entries);
}

void TestDocumentStore::saveAsRefusesATargetInUse_data()
{
    QTest::addColumn<QString>("lock");
    QTest::newRow("another program writing") << "--sqlite-write";
    QTest::newRow("another program reading") << "--sqlite-read";
    QTest::newRow("a whole-file lock") << "--whole-file";
}

// Renamed over, the file would vanish under the other program, whose next
// commit then fails.
void TestDocumentStore::saveAsRefusesATargetInUse()
{
    QFETCH(QString, lock);
    const QString sourcePath = file(QStringLiteral("source.zoq"));
    DocumentStore::writeTemplate(sourcePath);
    CodeTable source;
    source.open(sourcePath);
    const QString target = file(QStringLiteral("held.zoq"));
    writeDocument(target, idRange(1, 512));
    const QByteArray before = fileBytes(target);
    const QStringList entries = folderEntries(m_dir->path());
    {
        LockHolder other(target, lock);
        QCOMPARE(other.reply(), QStringLiteral("locked"));
        QCOMPARE(errorText([&] { DocumentStore::saveAs(source, target); }),
                 QStringLiteral("Cannot replace \"%1\": the file is in use by another program.")
                     .arg(QDir::toNativeSeparators(target)));
        QCOMPARE(fileBytes(target), before);
        QCOMPARE(folderEntries(m_dir->path()), entries);
    }
    DocumentStore::saveAs(source, target);
    QCOMPARE(queryValue(target, QStringLiteral("SELECT count(*) FROM ModelInfo")).toInt(), 6);
}

// A Save killed half-way leaves its file beside the target; the next Save to
// that target clears it away, and nothing else.
void TestDocumentStore::saveAsRemovesLeftPendingFiles()
{
    const QString sourcePath = file(QStringLiteral("source.zoq"));
    DocumentStore::writeTemplate(sourcePath);
    CodeTable source;
    source.open(sourcePath);
    const QStringList kept = {QStringLiteral(".b.zoq.backup"), QStringLiteral(".c.zoq.saving-Ab12Cd"),
                              QStringLiteral("b.zoq.saving-Ab12Cd"), QStringLiteral(".b.zoq.saving-Ab12C")};
    const QStringList left = {QStringLiteral(".b.zoq.saving-Ab12Cd"), QStringLiteral(".b.zoq.saving-zz99ZZ")};
    const QString busy = QStringLiteral(".b.zoq.saving-InUse1");
    for (const QString &name : kept + left + QStringList{busy})
        DocumentStore::writeTemplate(file(name));

    LockHolder other(file(busy), QStringLiteral("--whole-file"));
    QCOMPARE(other.reply(), QStringLiteral("locked"));
    DocumentStore::saveAs(source, file(QStringLiteral("b.zoq")));
    QStringList expected = kept + QStringList{busy, QStringLiteral("b.zoq"), QStringLiteral("source.zoq")};
    std::sort(expected.begin(), expected.end());
    QCOMPARE(folderEntries(m_dir->path()), expected);
}

void TestDocumentStore::workingFileLockKeepsOutASecondCopy()
{
    const QString working = file(QStringLiteral("Temp.~tmp"));
    WorkingFileLock mine;
    {
        LockHolder other(working);
        QCOMPARE(other.reply(), QStringLiteral("locked"));
        QCOMPARE(errorText([&] { mine.acquire(working); }),
                 QStringLiteral("Temp.~tmp is in use by another running copy of the program."));
        QVERIFY(!mine.isHeld());
        QVERIFY(other.running());
        QVERIFY(!errorText([&] { mine.acquire(working); }).isEmpty());
    }

    mine.acquire(working);
    mine.acquire(working);
    QVERIFY(mine.isHeld());
    QCOMPARE(mine.path(), working);
    {
        LockHolder other(working);
        QCOMPARE(other.reply(), QStringLiteral("Temp.~tmp is in use by another running copy of the program."));
    }
    mine.release();
    LockHolder other(working);
    QCOMPARE(other.reply(), QStringLiteral("locked"));
}

void TestDocumentStore::workingFileLockTakesOverFromADeadCopy()
{
    const QString working = file(QStringLiteral("Temp.~tmp"));
    {
        LockHolder other(working);
        QCOMPARE(other.reply(), QStringLiteral("locked"));
        other.kill();
    }
    QVERIFY(QFile::exists(working + QLatin1String(".lock")));
    WorkingFileLock mine;
    mine.acquire(working);
    QVERIFY(mine.isHeld());
}

QTEST_GUILESS_MAIN(TestDocumentStore)
#include "tst_documentstore.moc"
