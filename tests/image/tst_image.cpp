#include "TestDocument.h"

#include "core/common/FileNames.h"
#include "core/common/ZoqError.h"
#include "core/document/CodeTable.h"
#include "core/document/DocumentStore.h"
#include "core/image/CompiledImage.h"
#include "core/image/ImageSlots.h"
#include "core/image/EepromImage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace TestDocument;

namespace {

constexpr int SlotSize = EepromImage::SlotSize;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray slotOf(const QByteArray &image, int slot)
{
    return image.mid(qsizetype(slot) * SlotSize, SlotSize);
}

QByteArray withNameEnded(QByteArray slot)
{
    slot[255] = '\0';
    return slot;
}

// An image whose slot i holds the distinct block of row first + i.
QByteArray distinctImage(int first = 1)
{
    QByteArray image;
    for (int slot = 0; slot < EepromImage::SlotCount; ++slot)
        image.append(distinctBlock(first + slot));
    return image;
}

} // namespace

class TestImage : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void slotFromField_data();
    void slotFromField();
    void compileFreshDocumentGivesZeros();
    void compileFieldsOfAnySize_data();
    void compileFieldsOfAnySize();
    void compileWalksTableRows_data();
    void compileWalksTableRows();
    void compileRestoresTable();
    void compileIntoUncreatableTargetLeavesNothing_data();
    void compileIntoUncreatableTargetLeavesNothing();
    void compileReplacesExistingFile();

    void storeSlotEndsName();
    void storeSlotReadsTheNameInTheTablesEncoding();
    void erasedSlotImports();
    void compileThenImportRoundTrips();
    void importWalksTableRows_data();
    void importWalksTableRows();
    void readImageFileTakesFirstImage();
    void readImageFileRefuses_data();
    void readImageFileRefuses();
    void importRefusesShortImage();
    void tableWithoutRowsIsRefused();

    void withExtension_data();
    void withExtension();

private:
    std::unique_ptr<CodeTable> openDocument(int rows, Content content = Content::Distinct);
    [[nodiscard]] QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    int m_documents = 0;
};

void TestImage::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

std::unique_ptr<CodeTable> TestImage::openDocument(int rows, Content content)
{
    const QString file = path(QStringLiteral("doc%1.zoq").arg(++m_documents));
    write(file, rows, content);
    auto table = std::make_unique<CodeTable>();
    table->open(file);
    return table;
}

void TestImage::slotFromField_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QByteArray>("slot");
    const QByteArray block = distinctBlock(3);
    QTest::newRow("empty") << QByteArray() << QByteArray(512, '\xFF');
    QTest::newRow("short") << QByteArray(100, 'A') << QByteArray(100, 'A') + QByteArray(412, '\xFF');
    QTest::newRow("whole") << block << block;
    QTest::newRow("long") << block + QByteArray(188, 'z') << block;
}

void TestImage::slotFromField()
{
    QFETCH(QByteArray, field);
    QFETCH(QByteArray, slot);
    QCOMPARE(::slotFromField(field), slot);
}

void TestImage::compileFreshDocumentGivesZeros()
{
    const QString fresh = path(QStringLiteral("fresh.zoq"));
    DocumentStore::writeTemplate(fresh);
    CodeTable table;
    table.open(fresh);
    writeImageFile(table, path(QStringLiteral("fresh.bin")));
    QCOMPARE(readAll(path(QStringLiteral("fresh.bin"))), QByteArray(EepromImage::Size, '\0'));
}

void TestImage::compileFieldsOfAnySize_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QByteArray>("slot");
    QTest::newRow("empty") << QByteArray() << QByteArray(512, '\xFF');
    const QByteArray long700 = distinctBlock(9) + QByteArray(188, 'z');
    QTest::newRow("700 bytes") << long700 << distinctBlock(9);
}

void TestImage::compileFieldsOfAnySize()
{
    QFETCH(QByteArray, field);
    QFETCH(QByteArray, slot);
    auto table = openDocument(512);
    table->setRecNo(5);
    table->edit();
    table->setField(QStringLiteral("IR Data"), field);
    table->post();

    writeImageFile(*table, path(QStringLiteral("codes.bin")));
    const QByteArray image = readAll(path(QStringLiteral("codes.bin")));
    QCOMPARE(image.size(), EepromImage::Size);
    QCOMPARE(slotOf(image, 4), slot);
    QCOMPARE(slotOf(image, 3), distinctBlock(4));
    QCOMPARE(slotOf(image, 5), distinctBlock(6));
}

void TestImage::compileWalksTableRows_data()
{
    QTest::addColumn<int>("rows");
    QTest::newRow("512 rows") << 512;
    QTest::newRow("3 rows") << 3;
    QTest::newRow("700 rows") << 700;
    QTest::newRow("1 row") << 1;
}

void TestImage::compileWalksTableRows()
{
    QFETCH(int, rows);
    auto table = openDocument(rows);
    writeImageFile(*table, path(QStringLiteral("codes.bin")));
    const QByteArray image = readAll(path(QStringLiteral("codes.bin")));
    QCOMPARE(image.size(), EepromImage::Size);
    // A table with fewer rows repeats its last row; one with more stops at the 512th.
    for (int slot = 0; slot < EepromImage::SlotCount; ++slot)
        QCOMPARE(slotOf(image, slot), distinctBlock(std::min(slot + 1, rows)));
}

void TestImage::compileRestoresTable()
{
    auto table = openDocument(512);
    HookCounts counts;
    attachHooks(*table, counts);
    table->setRecNo(40);
    counts = {};

    writeImageFile(*table, path(QStringLiteral("codes.bin")));

    QCOMPARE(table->recNo(), 1);
    QVERIFY(!table->viewsSuspended());
    QCOMPARE(counts.posts, 0);
    // Only the final move to the first row reaches the after-scroll hook.
    QCOMPARE(counts.scrolls, 1);
    QCOMPARE(table->pendingChangeCount(), 0);
}

void TestImage::compileIntoUncreatableTargetLeavesNothing_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("missing folder") << QStringLiteral("missing/codes.bin");
    QTest::newRow("folder as target") << QStringLiteral("folder");
}

void TestImage::compileIntoUncreatableTargetLeavesNothing()
{
    QFETCH(QString, target);
    auto table = openDocument(512);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));
    const QStringList before = QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    try {
        writeImageFile(*table, path(target));
        QFAIL("the compile did not fail");
    } catch (const ZoqError &error) {
        QVERIFY2(error.message().contains(QDir::toNativeSeparators(path(target))), qPrintable(error.message()));
    }
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
    QVERIFY(QDir(path(QStringLiteral("folder"))).isEmpty());
    QVERIFY(!table->viewsSuspended());
}

void TestImage::compileReplacesExistingFile()
{
    auto table = openDocument(512);
    writeFile(path(QStringLiteral("codes.bin")), QByteArray(300000, 'x'));
    writeImageFile(*table, path(QStringLiteral("codes.bin")));
    QCOMPARE(readAll(path(QStringLiteral("codes.bin"))), distinctImage());
}

void TestImage::storeSlotEndsName()
{
    auto table = openDocument(512, Content::Template);
    HookCounts counts;
    attachHooks(*table, counts);
    QByteArray slot = distinctBlock(2);
    slot.replace(240, 16, QByteArray(16, 'N'));
    table->setRecNo(6);

    storeSlot(*table, slot);

    QCOMPARE(table->irData(), withNameEnded(slot));
    QCOMPARE(table->fieldText(QStringLiteral("Function")), QString(15, QLatin1Char('N')));
    QCOMPARE(table->fieldText(QStringLiteral("Format")), QStringLiteral("Normal"));
    QCOMPARE(counts.posts, 1);
}

void TestImage::storeSlotReadsTheNameInTheTablesEncoding()
{
    auto table = openDocument(512, Content::Template);
    table->setNameEncoding(NameEncoding(NameEncoding::Kind::Gbk));
    QByteArray slot = distinctBlock(2);
    slot.replace(240, 5, QByteArray::fromHex("B5E7D4B400")); // "电源" in GBK
    table->setRecNo(6);

    storeSlot(*table, slot);

    QCOMPARE(table->fieldText(QStringLiteral("Function")), QStringLiteral("\u7535\u6E90"));
    QCOMPARE(table->irData(), withNameEnded(slot));
}

void TestImage::erasedSlotImports()
{
    auto table = openDocument(512, Content::Template);
    HookCounts counts;
    attachHooks(*table, counts);
    importImage(*table, QByteArray(EepromImage::Size, '\xFF'));

    table->setRecNo(300);
    QCOMPARE(table->irData(), withNameEnded(QByteArray(512, '\xFF')));
    QCOMPARE(table->fieldText(QStringLiteral("Function")), QString(15, QChar(0xFF)));
    QCOMPARE(table->fieldText(QStringLiteral("Format")), QString());
    QCOMPARE(table->fieldText(QStringLiteral("Carry")), QString());
}

void TestImage::compileThenImportRoundTrips()
{
    auto source = openDocument(512);
    writeImageFile(*source, path(QStringLiteral("codes.bin")));
    const QByteArray image = readImageFile(path(QStringLiteral("codes.bin")));

    auto target = openDocument(512, Content::Template);
    HookCounts counts;
    attachHooks(*target, counts);
    importImage(*target, image);

    QCOMPARE(counts.posts, EepromImage::SlotCount);
    QCOMPARE(counts.scrolls, 1); // the move back to the first row
    QCOMPARE(target->recNo(), 1);
    QVERIFY(!target->viewsSuspended());
    for (int slot = 0; slot < EepromImage::SlotCount; ++slot) {
        QCOMPARE(target->valueAt(slot, 4).toByteArray(), withNameEnded(slotOf(image, slot)));
        QCOMPARE(target->valueAt(slot, 1).toString(), QStringLiteral("KEY%1").arg(slot + 1));
    }
}

void TestImage::importWalksTableRows_data()
{
    QTest::addColumn<int>("rows");
    QTest::newRow("3 rows") << 3;
    QTest::newRow("700 rows") << 700;
}

void TestImage::importWalksTableRows()
{
    QFETCH(int, rows);
    auto table = openDocument(rows);
    const QByteArray image = distinctImage(1000);

    importImage(*table, image);

    // The last slot row ends with slot 511, also in a table with fewer rows.
    const int slotRows = std::min(rows, EepromImage::SlotCount);
    for (int n = 1; n < slotRows; ++n)
        QCOMPARE(table->valueAt(n - 1, 4).toByteArray(), withNameEnded(slotOf(image, n - 1)));
    QCOMPARE(table->valueAt(slotRows - 1, 4).toByteArray(),
             withNameEnded(slotOf(image, EepromImage::SlotCount - 1)));
    for (int n = EepromImage::SlotCount + 1; n <= rows; ++n)
        QCOMPARE(rowOf(*table, n), distinctRow(n));
    QCOMPARE(table->recNo(), 1);
}

void TestImage::readImageFileTakesFirstImage()
{
    const QByteArray image = distinctImage();
    writeFile(path(QStringLiteral("long.bin")), image + QByteArray(1000, 'x'));
    QCOMPARE(readImageFile(path(QStringLiteral("long.bin"))), image);
}

void TestImage::readImageFileRefuses_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size"); // -1: no such file
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << "a.bin" << 0 << "it holds 0 bytes, an image holds 262,144";
    QTest::newRow("1000 bytes") << "a.bin" << 1000 << "it holds 1000 bytes, an image holds 262,144";
    QTest::newRow("one short") << "a.bin" << 262143 << "it holds 262143 bytes";
    QTest::newRow("missing") << "none.bin" << -1 << "none.bin";
    QTest::newRow("folder") << "folder.bin" << -2 << "folder.bin";
}

void TestImage::readImageFileRefuses()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(QString, message);
    if (size >= 0)
        writeFile(path(name), QByteArray(size, 'r'));
    if (size == -2)
        QVERIFY(QDir(m_dir->path()).mkdir(name));

    try {
        (void)readImageFile(path(name));
        QFAIL("the file was accepted");
    } catch (const ZoqError &error) {
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
    }
}

void TestImage::importRefusesShortImage()
{
    auto table = openDocument(512);
    HookCounts counts;
    attachHooks(*table, counts);
    QVERIFY_THROWS_EXCEPTION(ZoqError, importImage(*table, QByteArray(EepromImage::Size - 1, '\0')));
    QCOMPARE(counts.posts, 0);
    QCOMPARE(rowOf(*table, 1), distinctRow(1));
    QCOMPARE(table->pendingChangeCount(), 0);
}

void TestImage::tableWithoutRowsIsRefused()
{
    auto table = openDocument(0);
    QVERIFY_THROWS_EXCEPTION(ZoqError, writeImageFile(*table, path(QStringLiteral("codes.bin"))));
    QVERIFY(!QFile::exists(path(QStringLiteral("codes.bin"))));
    QVERIFY_THROWS_EXCEPTION(ZoqError, importImage(*table, distinctImage()));
}

void TestImage::withExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("ext");
    QTest::addColumn<QString>("result");
    QTest::newRow("none") << "codes" << ".bin" << "codes.bin";
    QTest::newRow("other") << "codes.txt" << ".bin" << "codes.txt.bin";
    QTest::newRow("upper case") << "KEYS.BIN" << ".bin" << "KEYS.BIN";
    QTest::newRow("same") << "/home/u/keys.bin" << ".bin" << "/home/u/keys.bin";
    QTest::newRow("dot in folder") << "/home/u.bin/codes" << ".bin" << "/home/u.bin/codes.bin";
    QTest::newRow("trailing dot") << "codes." << ".bin" << "codes..bin";
    QTest::newRow("bin inside") << "codes.bin.old" << ".bin" << "codes.bin.old.bin";
    QTest::newRow("document") << "/tmp/remote" << ".zoq" << "/tmp/remote.zoq";
    QTest::newRow("document kept") << "/tmp/Remote.ZOQ" << ".zoq" << "/tmp/Remote.ZOQ";
    QTest::newRow("text") << "key.bin" << ".txt" << "key.bin.txt";
}

void TestImage::withExtension()
{
    QFETCH(QString, name);
    QFETCH(QString, ext);
    QFETCH(QString, result);
    QCOMPARE(::withExtension(name, ext), result);
}

QTEST_GUILESS_MAIN(TestImage)
#include "tst_image.moc"
