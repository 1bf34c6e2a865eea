#include "DocumentFixtures.h"

#include "core/common/ZoqError.h"
#include "core/document/CodeTable.h"
#include "core/document/DerivePostedRow.h"
#include "core/document/DocumentStore.h"
#include "core/signal/IrBlock.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace DocumentFixtures;

class TestCodeTable : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void templateDocumentOpens();
    void rowsShowInIdOrder();
    void openFiles_data();
    void openFiles();
    void modelShowsCells();
    void cursorMovesAndAnnounces();
    void rowBeyondTheTableIsAnError();
    void postStaysInTheCache();
    void editRules();
    void suspendedControlsAnnounceOnResume();
    void hooksMayReplaceThemselves();
    void locateFunction();
    void updateBatchWritesOnlyChangedRows();
    void updateBatchFailureKeepsTheCache_data();
    void updateBatchFailureKeepsTheCache();
    void derivation_data();
    void derivation();
    void derivationRestoresFunctionFromBlock();
    void nameEncodingShowsDerivedNames_data();
    void nameEncodingShowsDerivedNames();
    void moduleInfoFromTheRowThatHoldsIt_data();
    void moduleInfoFromTheRowThatHoldsIt();

private:
    [[nodiscard]] QString file(const QString &name) const { return m_dir->filePath(name); }
    // A document made from the template, opened in m_table.
    QString openTemplate();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CodeTable> m_table;
};

namespace {

const QStringList TemplateFields = {QStringLiteral("ID"),      QStringLiteral("Function"),
                                    QStringLiteral("Format"),  QStringLiteral("Carry"),
                                    QStringLiteral("IR Data"), QStringLiteral("Remark")};

void edit(CodeTable &table, int recNo, const QString &field, const QVariant &value)
{
    table.setRecNo(recNo);
    table.edit();
    table.setField(field, value);
    table.post();
}

QString errorText(const std::function<void()> &action)
{
    try {
        action();
    } catch (const ZoqError &error) {
        return error.message();
    }
    return {};
}

} // namespace

void TestCodeTable::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_table = std::make_unique<CodeTable>();
}

QString TestCodeTable::openTemplate()
{
    const QString path = file(QStringLiteral("a.zoq"));
    DocumentStore::writeTemplate(path);
    m_table->open(path);
    return path;
}

void TestCodeTable::templateDocumentOpens()
{
    const QString path = openTemplate();
    CodeTable &table = *m_table;
    QVERIFY(table.isOpen());
    QCOMPARE(table.path(), path);
    QCOMPARE(table.fieldNames(), TemplateFields);
    QCOMPARE(table.recordCount(), 512);
    QCOMPARE(table.recNo(), 1);
    QCOMPARE(table.moduleInfo().moduleName, QString());
    QCOMPARE(table.moduleInfo().reCyc, 0);
    for (int row = 0; row < table.recordCount(); ++row) {
        QCOMPARE(table.valueAt(row, 0).toInt(), row + 1);
        QCOMPARE(table.valueAt(row, 1), QVariant(QStringLiteral("")));
        QVERIFY(!table.valueAt(row, 5).isValid());
        QCOMPARE(table.valueAt(row, 4).toByteArray(), QByteArray(512, '\0'));
    }
    QCOMPARE(table.fieldText(QStringLiteral("remark")), QString());
    QCOMPARE(table.fieldIndex(QStringLiteral("ir data")), 4);
    QCOMPARE(table.pendingChangeCount(), 0);
}

void TestCodeTable::rowsShowInIdOrder()
{
    const QString path = file(QStringLiteral("shuffled.zoq"));
    writeDocument(path, {5, 2, 9, 2, 1});
    execSql(path, {QStringLiteral("UPDATE KeyInfo SET Function='second 2' WHERE _rowid_=4")});
    m_table->open(path);
    QList<int> ids;
    for (int row = 0; row < m_table->recordCount(); ++row)
        ids.append(m_table->valueAt(row, 0).toInt());
    QCOMPARE(ids, QList<int>({1, 2, 2, 5, 9}));
    QCOMPARE(m_table->valueAt(1, 1).toString(), QStringLiteral("F2"));
    QCOMPARE(m_table->valueAt(2, 1).toString(), QStringLiteral("second 2"));
}

void TestCodeTable::openFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("irDataSize");
    QTest::addColumn<QString>("error");

    QTest::newRow("missing file") << "missing" << 0 << 0 << "does not exist";
    QTest::newRow("zero bytes") << "empty" << 0 << 0 << "no such table: ModelInfo";
    QTest::newRow("text file") << "text" << 0 << 0 << "file is not a database";
    QTest::newRow("no KeyInfo") << "no KeyInfo" << 0 << 0 << "no such table: KeyInfo";
    QTest::newRow("no ModelInfo") << "no ModelInfo" << 0 << 0 << "no such table: ModelInfo";
    QTest::newRow("no IR Data") << "no IR Data" << 0 << 0 << "has no field \"IR Data\"";
    QTest::newRow("3 rows") << "rows" << 3 << 512 << "";
    QTest::newRow("700 rows") << "rows" << 700 << 512 << "";
    QTest::newRow("IR Data 0 bytes") << "rows" << 512 << 0 << "";
    QTest::newRow("IR Data 100 bytes") << "rows" << 512 << 100 << "";
    QTest::newRow("IR Data 5000 bytes") << "rows" << 512 << 5000 << "";
    QTest::newRow("IR Data null") << "rows" << 512 << -1 << "";
    QTest::newRow("names in other case") << "lower case" << 2 << 1 << "";
}

void TestCodeTable::openFiles()
{
    QFETCH(QString, kind);
    QFETCH(int, rows);
    QFETCH(int, irDataSize);
    QFETCH(QString, error);

    const QString path = file(QStringLiteral("doc.zoq"));
    if (kind == QLatin1String("empty") || kind == QLatin1String("text")) {
        QFile text(path);
        QVERIFY(text.open(QIODevice::WriteOnly));
        if (kind == QLatin1String("text"))
            text.write(QByteArray("ID,Function\n1,Power\n").repeated(200));
    } else if (kind == QLatin1String("no KeyInfo")) {
        writeSqlite(path, documentSchema().mid(1));
    } else if (kind == QLatin1String("no ModelInfo")) {
        writeSqlite(path, documentSchema().mid(0, 1));
    } else if (kind == QLatin1String("no IR Data")) {
        writeSqlite(path, documentSchema() << QStringLiteral("ALTER TABLE KeyInfo DROP COLUMN \"IR Data\""));
    } else if (kind == QLatin1String("lower case")) {
        writeSqlite(path, QStringList{QStringLiteral("CREATE TABLE keyinfo (id INTEGER, function TEXT, format TEXT, "
                                          "carry TEXT, \"ir data\" BLOB, remark TEXT)"),
                           QStringLiteral("INSERT INTO keyinfo VALUES (2, 'b', '', '', X'00', NULL)"),
                           QStringLiteral("INSERT INTO keyinfo VALUES (1, 'a', '', '', X'00', NULL)")}
                              + documentSchema().mid(1));
    } else if (kind == QLatin1String("rows")) {
        writeDocument(path, idRange(1, rows), irDataSize);
    }

    // A table with a document open closes it first and stays closed on failure.
    openTemplate();
    if (!error.isEmpty()) {
        const QString message = errorText([&] { m_table->open(path); });
        QVERIFY2(message.contains(error), qPrintable(message));
        QVERIFY(!m_table->isOpen());
        QCOMPARE(m_table->recordCount(), 0);
        QCOMPARE(m_table->fieldCount(), 0);
        QCOMPARE(m_table->recNo(), 0);
        return;
    }
    m_table->open(path);
    QVERIFY(m_table->isOpen());
    QCOMPARE(m_table->recordCount(), rows);
    QCOMPARE(m_table->valueAt(0, m_table->fieldIndex(QStringLiteral("ID"))).toInt(), 1);
    m_table->setRecNo(rows);
    QCOMPARE(m_table->irData().size(), std::max(irDataSize, 0));
}

void TestCodeTable::modelShowsCells()
{
    const QString path = file(QStringLiteral("cells.zoq"));
    writeDocument(path, {1, 2});
    execSql(path, {QStringLiteral("UPDATE KeyInfo SET \"IR Data\"=NULL WHERE ID=2")});
    m_table->open(path);
    const CodeTable &model = *m_table;
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 6);
    for (int column = 0; column < model.columnCount(); ++column) {
        QCOMPARE(model.headerData(column, Qt::Horizontal).toString(), TemplateFields.at(column));
        QCOMPARE(model.flags(model.index(0, column)), Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        const int alignment = model.data(model.index(0, column), Qt::TextAlignmentRole).toInt();
        QCOMPARE(alignment & Qt::AlignHorizontal_Mask, column == 0 ? int(Qt::AlignRight) : int(Qt::AlignLeft));
    }
    QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("1"));
    QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("F1"));
    QCOMPARE(model.data(model.index(0, 4)).toString(), QStringLiteral("(BLOB)"));
    QCOMPARE(model.data(model.index(1, 4)).toString(), QStringLiteral("(Blob)"));
    QCOMPARE(model.data(model.index(1, 5)).toString(), QString());
    QVERIFY(!model.data(model.index(2, 0)).isValid());
}

void TestCodeTable::cursorMovesAndAnnounces()
{
    openTemplate();
    CodeTable &table = *m_table;
    QSignalSpy moved(&table, &CodeTable::currentRowChanged);
    int scrolls = 0;
    table.setAfterRowChange([&] { ++scrolls; });

    table.setRecNo(10);
    QCOMPARE(table.recNo(), 10);
    QCOMPARE(table.field(QStringLiteral("ID")).toInt(), 10);
    table.setRecNo(10);
    QCOMPARE(scrolls, 1);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.takeFirst().at(0).toInt(), 9);

    table.first();
    table.next();
    QCOMPARE(table.recNo(), 2);
    table.setRecNo(512);
    table.next();
    QCOMPARE(table.recNo(), 512);
    QCOMPARE(scrolls, 4);

    table.setAfterRowChange({});
    table.first();
    QCOMPARE(scrolls, 4);
}

void TestCodeTable::rowBeyondTheTableIsAnError()
{
    openTemplate();
    QCOMPARE(errorText([&] { m_table->setRecNo(513); }),
             QStringLiteral("Row 513 does not exist; the table has 512 rows."));
    QVERIFY(!errorText([&] { m_table->setRecNo(0); }).isEmpty());
    QCOMPARE(m_table->recNo(), 1);
}

void TestCodeTable::postStaysInTheCache()
{
    const QString path = openTemplate();
    const QByteArray before = fileBytes(path);
    CodeTable &table = *m_table;
    QSignalSpy changed(&table, &CodeTable::dataChanged);
    int posts = 0;
    table.setAfterPost([&] { ++posts; });

    edit(table, 7, QStringLiteral("Remark"), QStringLiteral("kitchen"));
    QCOMPARE(posts, 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(0).toModelIndex().row(), 6);
    QCOMPARE(changed.first().at(1).toModelIndex().column(), 5);
    QCOMPARE(table.fieldText(QStringLiteral("Remark")), QStringLiteral("kitchen"));
    QCOMPARE(table.valueAt(6, 5).toString(), QStringLiteral("kitchen"));
    QCOMPARE(table.pendingChangeCount(), 1);
    QCOMPARE(fileBytes(path), before);

    table.close();
    table.open(path);
    QVERIFY(!table.valueAt(6, 5).isValid());
}

void TestCodeTable::editRules()
{
    openTemplate();
    CodeTable &table = *m_table;
    QVERIFY(!errorText([&] { table.setField(1, QStringLiteral("x")); }).isEmpty());
    int posts = 0;
    table.setAfterPost([&] { ++posts; });
    table.post();
    QCOMPARE(posts, 0);

    table.edit();
    QVERIFY(table.isEditing());
    QVERIFY(!errorText([&] { table.setField(QStringLiteral("Nope"), 1); }).isEmpty());
    table.setField(1, QString());
    table.setField(5, QStringLiteral("r"));
    QCOMPARE(table.fieldText(QStringLiteral("Remark")), QStringLiteral("r"));
    QVERIFY(!table.valueAt(0, 5).isValid());
    // Leaving the row posts the edit; a null QString is stored as empty text.
    table.next();
    QVERIFY(!table.isEditing());
    QCOMPARE(posts, 1);
    QCOMPARE(table.valueAt(0, 5).toString(), QStringLiteral("r"));
    QCOMPARE(table.valueAt(0, 1), QVariant(QStringLiteral("")));

    table.setRecNo(3);
    table.edit();
    table.setField(QStringLiteral("Function"), QVariant());
    table.post();
    QVERIFY(!table.valueAt(2, 1).isValid());
}

void TestCodeTable::suspendedControlsAnnounceOnResume()
{
    openTemplate();
    CodeTable &table = *m_table;
    QSignalSpy changed(&table, &CodeTable::dataChanged);
    QSignalSpy moved(&table, &CodeTable::currentRowChanged);
    int hooks = 0;
    table.setAfterPost([&] { ++hooks; });
    table.setAfterRowChange([&] { ++hooks; });

    table.suspendViews();
    table.suspendViews();
    for (int n = 1; n <= 512; ++n)
        edit(table, n, QStringLiteral("Carry"), QString::number(n));
    table.resumeViews();
    QVERIFY(table.viewsSuspended());
    QCOMPARE(changed.count(), 0);
    QCOMPARE(moved.count(), 0);
    QCOMPARE(hooks, 512 + 511);

    table.resumeViews();
    QVERIFY(!table.viewsSuspended());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(0).toModelIndex(), table.index(0, 0));
    QCOMPARE(changed.first().at(1).toModelIndex(), table.index(511, 5));
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.first().at(0).toInt(), 511);
}

void TestCodeTable::hooksMayReplaceThemselves()
{
    openTemplate();
    CodeTable &table = *m_table;
    auto runs = std::make_shared<int>(0);
    table.setAfterPost([&table, runs] {
        table.setAfterPost({});
        ++*runs;
    });
    table.setAfterRowChange([&table, runs] {
        table.setAfterRowChange({});
        ++*runs;
    });
    edit(table, 2, QStringLiteral("Remark"), QStringLiteral("x"));
    edit(table, 3, QStringLiteral("Remark"), QStringLiteral("y"));
    QCOMPARE(*runs, 2);
    QVERIFY(!table.afterPost());
    QVERIFY(!table.afterRowChange());
}

void TestCodeTable::locateFunction()
{
    const QString path = file(QStringLiteral("names.zoq"));
    writeDocument(path, idRange(1, 20));
    m_table->open(path);
    QVERIFY(m_table->locateFunction(QStringLiteral("f12")));
    QCOMPARE(m_table->recNo(), 12);
    QVERIFY(!m_table->locateFunction(QStringLiteral("F1 ")));
    QVERIFY(!m_table->locateFunction(QStringLiteral("F")));
    QCOMPARE(m_table->recNo(), 12);
}

void TestCodeTable::updateBatchWritesOnlyChangedRows()
{
    const QString path = openTemplate();
    CodeTable &table = *m_table;
    edit(table, 5, QStringLiteral("Remark"), QStringLiteral("five"));
    edit(table, 300, QStringLiteral("IR Data"), IrBlock::filled(0x11).toByteArray());
    // Rows the table did not change keep what another writer put there meanwhile.
    execSql(path, {QStringLiteral("UPDATE KeyInfo SET Remark='outside' WHERE ID=10")});

    table.updateBatch();
    QCOMPARE(table.pendingChangeCount(), 0);
    QCOMPARE(table.recNo(), 300);
    const QList<QVariantList> rows =
        queryRows(path, QStringLiteral("SELECT ID, Remark, \"IR Data\", Function FROM KeyInfo ORDER BY _rowid_"));
    QCOMPARE(rows.size(), 512);
    for (int i = 0; i < rows.size(); ++i) {
        const QVariantList &row = rows.at(i);
        QCOMPARE(row.at(0).toInt(), i + 1);
        const QString remark = i == 4 ? QStringLiteral("five") : i == 9 ? QStringLiteral("outside") : QString();
        QCOMPARE(row.at(1).toString(), remark);
        QCOMPARE(row.at(1).isNull(), remark.isEmpty());
        QCOMPARE(row.at(2).toByteArray(), QByteArray(512, i == 299 ? '\x11' : '\0'));
        QCOMPARE(row.at(3), QVariant(QStringLiteral("")));
    }
}

void TestCodeTable::updateBatchFailureKeepsTheCache_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("error");
    QTest::newRow("locked") << "locked" << "database is locked";
    QTest::newRow("read-only") << "read-only" << "readonly database";
}

void TestCodeTable::updateBatchFailureKeepsTheCache()
{
    QFETCH(QString, cause);
    QFETCH(QString, error);
    if (cause == QLatin1String("read-only") && geteuid() == 0)
        QSKIP("file permissions do not bind the superuser");

    const QString path = openTemplate();
    CodeTable &table = *m_table;
    edit(table, 2, QStringLiteral("Remark"), QStringLiteral("two"));
    edit(table, 3, QStringLiteral("Remark"), QStringLiteral("three"));
    const QByteArray before = fileBytes(path);

    QString message;
    if (cause == QLatin1String("locked")) {
        QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
        holder.setDatabaseName(path);
        QVERIFY(holder.open());
        QVERIFY(QSqlQuery(holder).exec(QStringLiteral("BEGIN EXCLUSIVE")));
        message = errorText([&] { table.updateBatch(); });
        holder.rollback();
        holder.close();
        holder = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));
    } else {
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        table.close();
        table.open(path);
        edit(table, 2, QStringLiteral("Remark"), QStringLiteral("two"));
        edit(table, 3, QStringLiteral("Remark"), QStringLiteral("three"));
        message = errorText([&] { table.updateBatch(); });
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    }
    QVERIFY2(message.contains(error), qPrintable(message));
    QVERIFY(message.contains(QDir::toNativeSeparators(path)));
    QCOMPARE(fileBytes(path), before);
    QCOMPARE(table.pendingChangeCount(), 2);
    QCOMPARE(table.valueAt(2, 5).toString(), QStringLiteral("three"));

    table.updateBatch();
    QCOMPARE(queryValue(path, QStringLiteral("SELECT group_concat(Remark) FROM KeyInfo")).toString(),
             QStringLiteral("two,three"));
}

void TestCodeTable::derivation_data()
{
    QTest::addColumn<QByteArray>("irData");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("carry");
    QTest::addColumn<QString>("function");

    IrBlock normal;
    normal.set(0, 'r');
    normal.set(1, 48);
    normal.setNameBytes("POWER");
    IrBlock rc5 = normal;
    rc5.set(128, 'r');
    IrBlock full = normal;
    for (int i = 240; i < 256; ++i)
        full.set(i, 'A' + (i - 240));
    const QString fifteenFF(15, QChar(0xFF));

    QTest::newRow("empty block") << IrBlock().toByteArray() << "" << "" << "";
    QTest::newRow("erased block") << IrBlock::filled(0xFF).toByteArray() << "" << "" << fifteenFF;
    QTest::newRow("normal") << normal.toByteArray() << "Normal" << "38416" << "POWER";
    QTest::newRow("rc5/rc6") << rc5.toByteArray() << "RC5/RC6" << "38416" << "POWER";
    QTest::newRow("byte 255 reads as zero") << full.toByteArray() << "Normal" << "38416" << "ABCDEFGHIJKLMNO";
    QTest::newRow("longer field") << (normal.toByteArray() + QByteArray(100, 'x')) << "Normal" << "38416"
                                  << "POWER";
    // Missing bytes count as 0xFF for the format and the carrier, but a name
    // has no bytes the field does not hold.
    QTest::newRow("short field") << normal.toByteArray().left(100) << "Normal" << "38416" << "";
    QTest::newRow("field ends inside the name") << normal.toByteArray().left(243) << "Normal" << "38416" << "POW";
    QTest::newRow("field ends after a full name") << full.toByteArray().left(255) << "Normal" << "38416"
                                                  << "ABCDEFGHIJKLMNO";
    QTest::newRow("null field") << QByteArray() << "" << "" << "";
    QTest::newRow("empty field") << QByteArray("") << "" << "" << "";
}

void TestCodeTable::derivation()
{
    QFETCH(QByteArray, irData);
    QFETCH(QString, format);
    QFETCH(QString, carry);
    QFETCH(QString, function);

    openTemplate();
    CodeTable &table = *m_table;
    int hookRuns = 0;
    CodeTable::Hook hook = [&] {
        ++hookRuns;
        derivePostedRow(table);
    };
    table.setAfterPost(hook);
    table.setRecNo(40);
    table.edit();
    table.setField(QStringLiteral("Format"), QStringLiteral("stale"));
    table.setField(QStringLiteral("IR Data"), irData.isNull() ? QVariant() : QVariant(irData));
    table.post();

    QCOMPARE(hookRuns, 1);
    QVERIFY(table.afterPost());
    QVERIFY(!table.isEditing());
    QCOMPARE(table.field(QStringLiteral("Format")), QVariant(format));
    QCOMPARE(table.field(QStringLiteral("Carry")), QVariant(carry));
    QCOMPARE(table.field(QStringLiteral("Function")), QVariant(function));
    QCOMPARE(table.irData(), irData);
    QCOMPARE(table.recNo(), 40);
}

void TestCodeTable::derivationRestoresFunctionFromBlock()
{
    openTemplate();
    CodeTable &table = *m_table;
    IrBlock block;
    block.set(0, 'r');
    block.setNameBytes("VOL+");
    edit(table, 1, QStringLiteral("IR Data"), block.toByteArray());
    table.setAfterPost([&table] { derivePostedRow(table); });

    edit(table, 1, QStringLiteral("Function"), QStringLiteral("renamed"));
    QCOMPARE(table.fieldText(QStringLiteral("Function")), QStringLiteral("VOL+"));
    QCOMPARE(table.fieldText(QStringLiteral("Carry")), QStringLiteral("0"));

    // A document lacking a derived field reports it and stays out of edit mode.
    const QString path = file(QStringLiteral("narrow.zoq"));
    writeSqlite(path, QStringList{QStringLiteral("CREATE TABLE KeyInfo (ID INTEGER, Function TEXT, \"IR Data\" BLOB)"),
                       QStringLiteral("INSERT INTO KeyInfo VALUES (1, 'a', X'72')")}
                          + documentSchema().mid(1));
    table.open(path);
    QVERIFY(errorText([&] { derivePostedRow(table); }).contains(QLatin1String("\"Carry\"")));
    QVERIFY(!table.isEditing());
    QVERIFY(table.afterPost());
}

void TestCodeTable::nameEncodingShowsDerivedNames_data()
{
    QTest::addColumn<QByteArray>("nameBytes");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("latin1");
    QTest::addColumn<QString>("gbk");

    const QByteArray power = QByteArray::fromHex("B5E7D4B4");
    const QString powerGbk = QStringLiteral("\u7535\u6E90");
    const QString powerLatin1 = QStringLiteral("\u00B5\u00E7\u00D4\u00B4");
    QTest::newRow("derived in Latin-1") << power << powerLatin1 << powerLatin1 << powerGbk;
    QTest::newRow("derived in GBK") << power << powerGbk << powerLatin1 << powerGbk;
    QTest::newRow("ASCII reads alike") << QByteArray("VOL+") << "VOL+" << "VOL+" << "VOL+";
    QTest::newRow("text not from the block") << power << "Power" << "Power" << "Power";
    QTest::newRow("unreadable GBK bytes") << QByteArray("A\xB5") << QStringLiteral("A\u00B5")
                                          << QStringLiteral("A\u00B5") << QStringLiteral("A\uFFFD");
}

void TestCodeTable::nameEncodingShowsDerivedNames()
{
    QFETCH(QByteArray, nameBytes);
    QFETCH(QString, stored);
    QFETCH(QString, latin1);
    QFETCH(QString, gbk);

    openTemplate();
    CodeTable &table = *m_table;
    IrBlock block;
    block.setNameBytes(nameBytes);
    table.setRecNo(9);
    table.edit();
    table.setField(QStringLiteral("IR Data"), block.toByteArray());
    table.setField(QStringLiteral("Function"), stored);
    table.post();
    const QModelIndex cell = table.index(8, table.fieldIndex(QStringLiteral("Function")));

    QCOMPARE(table.nameEncoding().kind(), NameEncoding::Kind::Latin1);
    QCOMPARE(table.data(cell).toString(), latin1);
    QSignalSpy changed(&table, &CodeTable::dataChanged);
    table.setNameEncoding(NameEncoding(NameEncoding::Kind::Gbk));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().at(0).toModelIndex().column(), cell.column());
    QCOMPARE(table.data(cell).toString(), gbk);
    QCOMPARE(table.functionName(8), gbk);
    QCOMPARE(table.fieldText(QStringLiteral("Function")), stored);
    QCOMPARE(table.pendingChangeCount(), 1);

    // Go to by name finds the row by the name it shows.
    table.setRecNo(1);
    QVERIFY(table.locateFunction(gbk.toLower()));
    QCOMPARE(table.recNo(), 9);

    // The encoding belongs to the table, not to the document.
    table.open(table.path());
    QCOMPARE(table.nameEncoding().kind(), NameEncoding::Kind::Gbk);
}

void TestCodeTable::moduleInfoFromTheRowThatHoldsIt_data()
{
    QTest::addColumn<QStringList>("updates");
    QTest::addColumn<QString>("moduleName");
    QTest::addColumn<int>("reCyc");

    const QString fill = QStringLiteral("UPDATE ModelInfo SET \"Module Name\"='%1', ReCyc=%2 WHERE ID=%3");
    const QString append = QStringLiteral("INSERT INTO ModelInfo (\"Module Name\", Type, Manufactory, "
                                          "\"Module ID\", ReCyc, Remark) VALUES ('%1', '', '', '', %2, '')");
    QTest::newRow("template rows only") << QStringList() << "" << 0;
    QTest::newRow("first row, as documents were made") << QStringList{fill.arg(QStringLiteral("RC-1")).arg(2).arg(1)}
                                                       << "RC-1" << 2;
    QTest::newRow("appended by a save") << QStringList{append.arg(QStringLiteral("RC-6")).arg(4)} << "RC-6" << 4;
    QTest::newRow("appended empty after a filled first row")
        << QStringList{fill.arg(QStringLiteral("RC-1")).arg(0).arg(1), append.arg(QString()).arg(0)} << "RC-1" << 0;
    QTest::newRow("only the recycle count set") << QStringList{fill.arg(QString()).arg(7).arg(3)} << "" << 7;
    QTest::newRow("null texts") << QStringList{QStringLiteral("UPDATE ModelInfo SET \"Module Name\"=NULL, "
                                                              "Type=NULL, Remark=NULL WHERE ID=1")}
                                << "" << 0;
}

void TestCodeTable::moduleInfoFromTheRowThatHoldsIt()
{
    QFETCH(QStringList, updates);
    QFETCH(QString, moduleName);
    QFETCH(int, reCyc);

    const QString path = file(QStringLiteral("m.zoq"));
    DocumentStore::writeTemplate(path);
    execSql(path, updates);
    m_table->open(path);
    QCOMPARE(m_table->moduleInfo().moduleName, moduleName);
    QCOMPARE(m_table->moduleInfo().reCyc, reCyc);
}

QTEST_GUILESS_MAIN(TestCodeTable)
#include "tst_codetable.moc"
