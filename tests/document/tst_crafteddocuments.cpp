#include "DocumentFixtures.h"
#include "support/ScriptedPrompt.h"

#include "core/common/ZoqError.h"
#include "core/document/CodeTable.h"
#include "core/document/Document.h"
#include "core/document/DocumentGuard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace DocumentFixtures;

// Documents made by someone else, to harm: nothing in them runs, nothing of
// them opens half, and nothing of them takes longer than the time limit.
class TestCraftedDocuments : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void craftedDocumentsAreRefused_data();
    void craftedDocumentsAreRefused();
    void damagedDocumentsAreRefused_data();
    void damagedDocumentsAreRefused();
    void triggerAddedWhileOpenDoesNotRun();
    void openingStopsAtTheTimeLimit();
    void writingChangesStopsAtTheTimeLimit();
    void longTextsAreCutWhereRead();

private:
    [[nodiscard]] QString file(const QString &name) const { return m_dir->filePath(name); }
    // Expects open to fail with message, leaving the table closed and the file as it was.
    void expectRefusal(const QString &path, const QString &message);

    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

QString errorText(const std::function<void()> &action)
{
    try {
        action();
    } catch (const ZoqError &error) {
        return error.message();
    }
    return {};
}

QString prefix(const QString &path)
{
    return QStringLiteral("\"%1\" is not a ZOQ document: ").arg(QDir::toNativeSeparators(path));
}

// A check that costs some 20 ms a row: 1 MB of zero bytes as hex, every
// digit replaced by two letters (4 MB, the longest value the engine takes).
const QString SlowExpression = QStringLiteral("length(replace(hex(zeroblob(1000000 + ID)), '0', 'ab')) > 0");

QStringList keyInfoWith(const QString &extra)
{
    return {
        QStringLiteral("CREATE TABLE KeyInfo (\"ID\" INTEGER, \"Function\" TEXT, \"Format\" TEXT, \"Carry\" TEXT, "
                       "\"IR Data\" BLOB, \"Remark\" TEXT%1)")
            .arg(extra),
    };
}

QStringList rowsFrom(int first, int last)
{
    return {QStringLiteral("WITH RECURSIVE n(i) AS (SELECT %1 UNION ALL SELECT i + 1 FROM n WHERE i < %2) "
                           "INSERT INTO KeyInfo SELECT i, 'F' || i, '', '', zeroblob(512), NULL FROM n")
                .arg(first)
                .arg(last)};
}

} // namespace

void TestCraftedDocuments::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestCraftedDocuments::expectRefusal(const QString &path, const QString &message)
{
    const QByteArray before = fileBytes(path);
    CodeTable table;
    const QString error = errorText([&] { table.open(path); });
    QVERIFY2(error.startsWith(message), qPrintable(error));
    QVERIFY(!table.isOpen());
    QCOMPARE(table.recordCount(), 0);
    QCOMPARE(fileBytes(path), before);
}

void TestCraftedDocuments::craftedDocumentsAreRefused_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<qint64>("growTo");
    QTest::addColumn<QString>("reason");

    const auto asView = [](const char *table) {
        return QStringList{QStringLiteral("ALTER TABLE %1 RENAME TO Stored").arg(QLatin1String(table)),
                           QStringLiteral("CREATE VIEW %1 AS SELECT * FROM Stored").arg(QLatin1String(table))};
    };
    QTest::newRow("trigger that empties the table at Save")
        << QStringList{QStringLiteral("CREATE TRIGGER wipe AFTER UPDATE ON KeyInfo BEGIN DELETE FROM KeyInfo; END")}
        << qint64(0) << "it holds the trigger \"wipe\".";
    QTest::newRow("trigger that grows the file at Save")
        << QStringList{QStringLiteral("CREATE TRIGGER grow AFTER UPDATE ON KeyInfo BEGIN "
                                      "INSERT INTO ModelInfo (Remark) VALUES (zeroblob(20000000)); END")}
        << qint64(0) << "it holds the trigger \"grow\".";
    QTest::newRow("trigger on a table of its own")
        << QStringList{QStringLiteral("CREATE TABLE Other (x)"),
                       QStringLiteral("CREATE TRIGGER quiet AFTER INSERT ON Other BEGIN DELETE FROM KeyInfo; END")}
        << qint64(0) << "it holds the trigger \"quiet\".";
    QTest::newRow("KeyInfo a view") << asView("KeyInfo") << qint64(0) << "its table KeyInfo is a view.";
    QTest::newRow("ModelInfo a view") << asView("ModelInfo") << qint64(0) << "its table ModelInfo is a view.";
    QTest::newRow("view with an INSTEAD OF trigger")
        << asView("KeyInfo") + QStringList{QStringLiteral("CREATE TRIGGER redirect INSTEAD OF UPDATE ON KeyInfo "
                                                          "BEGIN DELETE FROM Stored; END")}
        << qint64(0) << "its table KeyInfo is a view.";
    QTest::newRow("view in lower case")
        << QStringList{QStringLiteral("ALTER TABLE KeyInfo RENAME TO Stored"),
                       QStringLiteral("CREATE VIEW keyinfo AS SELECT * FROM Stored")}
        << qint64(0) << "its table keyinfo is a view.";
    QTest::newRow("KeyInfo a virtual table")
        << QStringList{QStringLiteral("ALTER TABLE KeyInfo RENAME TO Stored"),
                       QStringLiteral("CREATE VIRTUAL TABLE KeyInfo USING fts5(ID, Function)")}
        << qint64(0) << "its table KeyInfo is a virtual table.";
    for (const char *name : {"_rowid_", "rowid", "OID"}) {
        QTest::addRow("column named %s", name)
            << QStringList{QStringLiteral("ALTER TABLE KeyInfo ADD COLUMN %1 INTEGER").arg(QLatin1String(name))}
            << qint64(0)
            << QStringLiteral("its table KeyInfo has a column named \"%1\", which hides the row numbers.")
                   .arg(QLatin1String(name));
    }
    QTest::newRow("ModelInfo column named _rowid_")
        << QStringList{QStringLiteral("ALTER TABLE ModelInfo ADD COLUMN _rowid_ INTEGER")} << qint64(0)
        << "its table ModelInfo has a column named \"_rowid_\", which hides the row numbers.";
    QTest::newRow("computed column")
        << QStringList{QStringLiteral("ALTER TABLE KeyInfo ADD COLUMN Twice INTEGER GENERATED ALWAYS AS (ID * 2)")}
        << qint64(0) << "its table KeyInfo has the computed column \"Twice\".";
    QTest::newRow("table without row numbers")
        << QStringList{QStringLiteral("DROP TABLE KeyInfo"),
                       QStringLiteral("CREATE TABLE KeyInfo (\"ID\" INTEGER PRIMARY KEY, \"Function\" TEXT, "
                                      "\"Format\" TEXT, \"Carry\" TEXT, \"IR Data\" BLOB, \"Remark\" TEXT) "
                                      "WITHOUT ROWID"),
                       QStringLiteral("INSERT INTO KeyInfo VALUES (1, '', '', '', zeroblob(512), NULL)")}
        << qint64(0) << "its table KeyInfo has no row numbers.";
    QTest::newRow("value longer than the engine hands over")
        << QStringList{QStringLiteral("UPDATE KeyInfo SET Remark = zeroblob(5000000) WHERE ID = 3")} << qint64(0)
        << "string or blob too big.";
    QTest::newRow("file of 65 MB") << QStringList{} << qint64(65) * 1024 * 1024 << "it is larger than 64 MB.";
}

// Refused before a row is read, with the reason; the table stays closed and
// the file is not touched.
void TestCraftedDocuments::craftedDocumentsAreRefused()
{
    QFETCH(QStringList, statements);
    QFETCH(qint64, growTo);
    QFETCH(QString, reason);

    const QString path = file(QStringLiteral("crafted.zoq"));
    writeDocument(path, idRange(1, 512));
    if (!statements.isEmpty())
        execSql(path, statements);
    if (growTo > 0) {
        QFile grown(path);
        QVERIFY(grown.resize(growTo));
    }
    expectRefusal(path, prefix(path) + reason);
}

void TestCraftedDocuments::damagedDocumentsAreRefused_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("a page overwritten") << "page";
    QTest::newRow("cut short") << "cut";
    QTest::newRow("rows that break a CHECK") << "check";
}

// A damaged file would open with only the rows read before the damage, and
// Compile would then repeat the last of them into every later slot.
void TestCraftedDocuments::damagedDocumentsAreRefused()
{
    QFETCH(QString, damage);
    const QString path = file(QStringLiteral("damaged.zoq"));
    if (damage == QLatin1String("check")) {
        writeSqlite(path, keyInfoWith(QStringLiteral(", CHECK (ID > 0)")) + documentSchema().mid(1)
                              + QStringList{QStringLiteral("PRAGMA ignore_check_constraints = ON")}
                              + rowsFrom(-3, 508));
    } else {
        writeDocument(path, idRange(1, 512));
        QFile bytes(path);
        QVERIFY(bytes.open(QIODevice::ReadWrite));
        const qint64 size = bytes.size();
        if (damage == QLatin1String("page")) {
            // A leaf page of KeyInfo in the middle of the file.
            QVERIFY(bytes.seek(size / 2 / 4096 * 4096));
            bytes.write(QByteArray(4096, '\x55'));
        } else {
            QVERIFY(bytes.resize(size / 2));
        }
    }
    expectRefusal(path, prefix(path) + QStringLiteral("the file is damaged ("));
}

void TestCraftedDocuments::triggerAddedWhileOpenDoesNotRun()
{
    const QString path = file(QStringLiteral("a.zoq"));
    writeDocument(path, idRange(1, 512));
    CodeTable table;
    table.open(path);
    execSql(path, {QStringLiteral("CREATE TRIGGER wipe AFTER UPDATE ON KeyInfo BEGIN DELETE FROM KeyInfo; END")});

    table.setRecNo(3);
    table.edit();
    table.setField(QStringLiteral("Remark"), QStringLiteral("kept"));
    table.post();
    table.updateBatch();
    QCOMPARE(queryValue(path, QStringLiteral("SELECT count(*) FROM KeyInfo")).toInt(), 512);
    QCOMPARE(queryValue(path, QStringLiteral("SELECT Remark FROM KeyInfo WHERE ID = 3")).toString(),
             QStringLiteral("kept"));
}

void TestCraftedDocuments::openingStopsAtTheTimeLimit()
{
    const QString path = file(QStringLiteral("slow.zoq"));
    // The engine's quick check runs the check on every row: some 40 s in all.
    writeSqlite(path, keyInfoWith(QStringLiteral(", CHECK (%1)").arg(SlowExpression)) + documentSchema().mid(1)
                          + QStringList{QStringLiteral("PRAGMA ignore_check_constraints = ON")} + rowsFrom(1, 2048));
    expectRefusal(path, QStringLiteral("Opening \"%1\" was stopped: it took longer than %2 seconds.")
                            .arg(QDir::toNativeSeparators(path))
                            .arg(DocumentGuard::TimeLimitSeconds));
}

void TestCraftedDocuments::writingChangesStopsAtTheTimeLimit()
{
    const QString path = file(QStringLiteral("slow.zoq"));
    // An index that weighs the slow expression for every row whose remark is
    // "slow" once it changes: some 40 s for all rows.
    writeDocument(path, idRange(1, 2048));
    execSql(path,
            {QStringLiteral("CREATE INDEX weigh ON KeyInfo (ID) WHERE Remark = 'slow' AND %1").arg(SlowExpression)});
    CodeTable table;
    table.open(path);
    for (int row = 1; row <= table.recordCount(); ++row) {
        table.setRecNo(row);
        table.edit();
        table.setField(QStringLiteral("Remark"), QStringLiteral("slow"));
        table.post();
    }
    const QByteArray before = fileBytes(path);
    QCOMPARE(errorText([&] { table.updateBatch(); }),
             QStringLiteral("Writing the changes to \"%1\" was stopped: it took longer than %2 seconds.")
                 .arg(QDir::toNativeSeparators(path))
                 .arg(DocumentGuard::TimeLimitSeconds));
    QCOMPARE(table.pendingChangeCount(), 2048);
    QCOMPARE(fileBytes(path), before);
}

void TestCraftedDocuments::longTextsAreCutWhereRead()
{
    const QString path = file(QStringLiteral("long.zoq"));
    writeDocument(path, idRange(1, 512));
    execSql(path, {QStringLiteral("UPDATE KeyInfo SET Remark = replace(hex(zeroblob(500000)), '0', 'x'), "
                                  "Function = printf('%.100c', 'F'), Carry = '1234567890', "
                                  "Format = 'RC5/RC6 and more' WHERE ID = 7"),
                   QStringLiteral("UPDATE KeyInfo SET Remark = zeroblob(300) WHERE ID = 8"),
                   QStringLiteral("UPDATE ModelInfo SET \"Module Name\" = printf('%.300c', 'M') WHERE ID = 1")});

    ScriptedPrompt prompt;
    CodeTable table;
    Document document(table, prompt, file(QStringLiteral("Temp.~tmp")));
    document.open(path);
    QCOMPARE(table.cutTextCount(), 6);
    QCOMPARE(table.valueAt(6, 5).toString(), QString(120, QLatin1Char('x')));
    QCOMPARE(table.valueAt(6, 1).toString(), QString(16, QLatin1Char('F')));
    QCOMPARE(table.valueAt(6, 3).toString(), QStringLiteral("123456"));
    QCOMPARE(table.valueAt(6, 2).toString(), QStringLiteral("RC5/RC6"));
    QCOMPARE(table.valueAt(7, 5).toByteArray(), QByteArray(120, '\0'));
    QCOMPARE(document.moduleInfo().moduleName, QString(20, QLatin1Char('M')));
    QCOMPARE(table.valueAt(8, 5), QVariant());
    QCOMPARE(prompt.texts(),
             QStringList{QStringLiteral("\"%1\" holds texts longer than their columns allow; 6 of them are shown "
                                        "cut to their column's size.")
                             .arg(QDir::toNativeSeparators(path))});
}

QTEST_GUILESS_MAIN(TestCraftedDocuments)
#include "tst_crafteddocuments.moc"
