#include "TestDocument.h"

#include "core/common/ZoqError.h"
#include "core/document/CodeTable.h"
#include "core/document/RowClipboard.h"
#include "core/document/RowMoves.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace TestDocument;

namespace {

enum class Move { Insert, Delete };

// Row n of the document after a move at cur over a pass ending at last.
Row expectedAfter(Move move, int cur, int last, int n)
{
    if (n < cur || n > last)
        return distinctRow(n);
    if (move == Move::Insert)
        return n == cur ? emptyRow() : distinctRow(n - 1);
    return n == last ? emptyRow() : distinctRow(n + 1);
}

void run(Move move, CodeTable &table, int cur)
{
    if (move == Move::Insert)
        insertEmptyRow(table, cur);
    else
        deleteRowContent(table, cur);
}

} // namespace

Q_DECLARE_METATYPE(Move)

class TestRows : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void moves_data();
    void moves();
    void insertThenDeleteRestores();
    void movesDeriveNothingAndRestoreHooks();
    void emptyRowCheck_data();
    void emptyRowCheck();
    void moveOutsideTableChangesNothing_data();
    void moveOutsideTableChangesNothing();

    void copyThenPaste();
    void pasteStopsAtLastRow_data();
    void pasteStopsAtLastRow();
    void smallerCopyReplacesCount();
    void copyWithoutSelectionTakesCurrentRow();
    void pasteIntoAnotherDocument();
    void shortFieldIsCopiedPadded();
    void refusedCopyKeepsClipboard();

private:
    std::unique_ptr<CodeTable> openDocument(int rows, Content content = Content::Distinct);

    std::unique_ptr<QTemporaryDir> m_dir;
    int m_documents = 0;
};

void TestRows::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

std::unique_ptr<CodeTable> TestRows::openDocument(int rows, Content content)
{
    const QString path = m_dir->filePath(QStringLiteral("doc%1.zoq").arg(++m_documents));
    write(path, rows, content);
    auto table = std::make_unique<CodeTable>();
    table->open(path);
    return table;
}

void TestRows::moves_data()
{
    QTest::addColumn<Move>("move");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cur");
    QTest::addColumn<int>("last"); // last row of the pass

    for (Move move : {Move::Insert, Move::Delete}) {
        const char *name = move == Move::Insert ? "insert" : "delete";
        for (int cur : {1, 10, 512})
            QTest::addRow("%s row %d", name, cur) << move << 512 << cur << 512;
        QTest::addRow("%s row 1 of 3", name) << move << 3 << 1 << 3;
        QTest::addRow("%s row 3 of 3", name) << move << 3 << 3 << 3;
        QTest::addRow("%s row 10 of 700", name) << move << 700 << 10 << 512;
        QTest::addRow("%s row 600 of 700", name) << move << 700 << 600 << 600;
    }
}

void TestRows::moves()
{
    QFETCH(Move, move);
    QFETCH(int, rows);
    QFETCH(int, cur);
    QFETCH(int, last);
    auto table = openDocument(rows);
    table->setRecNo(cur);
    if (move == Move::Insert)
        QCOMPARE(pushedOutRow(*table, cur), last);

    run(move, *table, cur);

    QCOMPARE(table->recNo(), cur);
    QCOMPARE(table->recordCount(), rows);
    for (int n = 1; n <= rows; ++n) {
        QCOMPARE(table->valueAt(n - 1, 0).toInt(), n);
        QCOMPARE(rowOf(*table, n), expectedAfter(move, cur, last, n));
    }
}

void TestRows::insertThenDeleteRestores()
{
    auto table = openDocument(512);
    insertEmptyRow(*table, 10);
    deleteRowContent(*table, 10);
    for (int n = 1; n <= 511; ++n)
        QCOMPARE(rowOf(*table, n), distinctRow(n));
    QCOMPARE(rowOf(*table, 512), emptyRow());
    QCOMPARE(table->recNo(), 10);
}

void TestRows::movesDeriveNothingAndRestoreHooks()
{
    auto table = openDocument(512);
    HookCounts counts;
    attachHooks(*table, counts);

    insertEmptyRow(*table, 1);
    deleteRowContent(*table, 1);
    QCOMPARE(counts.posts, 0);
    QCOMPARE(counts.scrolls, 0);
    QVERIFY(!table->viewsSuspended());
    // "Function" was not derived from the block on the way.
    QCOMPARE(rowOf(*table, 7), distinctRow(7));

    table->setRecNo(7);
    QCOMPARE(counts.scrolls, 1);
    table->edit();
    table->post();
    QCOMPARE(counts.posts, 1);
    QCOMPARE(table->fieldText(QStringLiteral("Function")), QStringLiteral("KEY7"));
}

void TestRows::emptyRowCheck_data()
{
    QTest::addColumn<QString>("field"); // set on a template row; empty: left as it is
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("empty");
    QTest::newRow("template row") << QString() << QVariant() << true;
    QTest::newRow("null block") << QStringLiteral("IR Data") << QVariant() << true;
    QTest::newRow("short zero block") << QStringLiteral("IR Data") << QVariant(QByteArray(10, '\0')) << true;
    QByteArray oneByte(512, '\0');
    oneByte[300] = 1;
    QTest::newRow("one byte set") << QStringLiteral("IR Data") << QVariant(oneByte) << false;
    QTest::newRow("name") << QStringLiteral("Function") << QVariant(QStringLiteral("MUTE")) << false;
    QTest::newRow("remark") << QStringLiteral("Remark") << QVariant(QStringLiteral("kept")) << false;
    QTest::newRow("carry") << QStringLiteral("Carry") << QVariant(QStringLiteral("0")) << false;
}

void TestRows::emptyRowCheck()
{
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(bool, empty);
    auto table = openDocument(8, Content::Template);
    if (!field.isEmpty()) {
        table->setRecNo(5);
        table->edit();
        table->setField(field, value);
        table->post();
    }
    QCOMPARE(isEmptyRow(*table, 5), empty);
    QVERIFY(isEmptyRow(*table, 4));

    auto distinct = openDocument(8);
    QVERIFY(!isEmptyRow(*distinct, 5));
    insertEmptyRow(*distinct, 5);
    QVERIFY(isEmptyRow(*distinct, 5));
}

void TestRows::moveOutsideTableChangesNothing_data()
{
    QTest::addColumn<Move>("move");
    QTest::addColumn<int>("cur");
    QTest::newRow("insert beyond") << Move::Insert << 4;
    QTest::newRow("delete beyond") << Move::Delete << 4;
    QTest::newRow("insert zero") << Move::Insert << 0;
    QTest::newRow("delete zero") << Move::Delete << 0;
}

void TestRows::moveOutsideTableChangesNothing()
{
    QFETCH(Move, move);
    QFETCH(int, cur);
    auto table = openDocument(3);
    HookCounts counts;
    attachHooks(*table, counts);

    QVERIFY_THROWS_EXCEPTION(ZoqError, run(move, *table, cur));

    for (int n = 1; n <= 3; ++n)
        QCOMPARE(rowOf(*table, n), distinctRow(n));
    QVERIFY(!table->viewsSuspended());
    table->setRecNo(2);
    table->edit();
    table->post();
    QCOMPARE(counts.scrolls, 1);
    QCOMPARE(counts.posts, 1);
}

void TestRows::copyThenPaste()
{
    auto table = openDocument(512);
    HookCounts counts;
    attachHooks(*table, counts);
    RowClipboard clipboard;
    QVERIFY(!clipboard.canPaste());

    table->setRecNo(1);
    counts.scrolls = 0;
    // Selected with Ctrl+click in this order; copied in table order.
    QCOMPARE(clipboard.copyRows(*table, {3, 10, 5}), QList<int>({3, 5, 10}));
    QCOMPARE(table->recNo(), 10);
    QCOMPARE(clipboard.rowCount(), 3);
    QVERIFY(clipboard.canPaste());

    table->setRecNo(20);
    counts = {};
    QCOMPARE(clipboard.pasteRows(*table), QList<int>({20, 21, 22}));
    QCOMPARE(table->recNo(), 22);
    QCOMPARE(counts.scrolls, 0);
    QCOMPARE(counts.posts, 3);
    const QList<int> sources{3, 5, 10};
    for (int i = 0; i < 3; ++i) {
        table->setRecNo(20 + i);
        const int from = sources.at(i);
        QCOMPARE(table->irData(), distinctBlock(from));
        QCOMPARE(table->fieldText(QStringLiteral("Remark")), distinctRow(from).at(4).toString());
        // Each post derived the row: "Function" is the block's name.
        QCOMPARE(table->fieldText(QStringLiteral("Function")), QStringLiteral("KEY%1").arg(from));
        QCOMPARE(table->fieldText(QStringLiteral("Carry")), QString::number(1844000 / from));
    }
    QCOMPARE(rowOf(*table, 23), distinctRow(23));
}

void TestRows::pasteStopsAtLastRow_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cur");
    QTest::addColumn<QList<int>>("written");
    QTest::newRow("511 of 512") << 512 << 511 << QList<int>{511, 512};
    QTest::newRow("512 of 512") << 512 << 512 << QList<int>{512};
    QTest::newRow("2 of 3") << 3 << 2 << QList<int>{2, 3};
}

void TestRows::pasteStopsAtLastRow()
{
    QFETCH(int, rows);
    QFETCH(int, cur);
    QFETCH(QList<int>, written);
    auto table = openDocument(rows);
    RowClipboard clipboard;
    (void)clipboard.copyRows(*table, {1, 2, 3});

    table->setRecNo(cur);
    QCOMPARE(clipboard.pasteRows(*table), written);
    QCOMPARE(table->recNo(), rows);
    for (int i = 0; i < written.size(); ++i)
        QCOMPARE(table->valueAt(written.at(i) - 1, 4).toByteArray(), distinctBlock(i + 1));
}

void TestRows::smallerCopyReplacesCount()
{
    auto table = openDocument(512);
    RowClipboard clipboard;
    (void)clipboard.copyRows(*table, {1, 2});
    (void)clipboard.copyRows(*table, {9});
    QCOMPARE(clipboard.rowCount(), 1);

    table->setRecNo(100);
    QCOMPARE(clipboard.pasteRows(*table), QList<int>{100});
    QCOMPARE(table->irData(), distinctBlock(9));
    QCOMPARE(rowOf(*table, 101), distinctRow(101));
}

void TestRows::copyWithoutSelectionTakesCurrentRow()
{
    auto table = openDocument(512);
    table->setRecNo(7);
    RowClipboard clipboard;
    QCOMPARE(clipboard.copyRows(*table, {}), QList<int>{7});
    QCOMPARE(clipboard.rowCount(), 1);
    QCOMPARE(clipboard.block(0).toByteArray(), distinctBlock(7));
    QCOMPARE(clipboard.function(0), QStringLiteral("F7"));
    QCOMPARE(table->recNo(), 7);
}

void TestRows::pasteIntoAnotherDocument()
{
    RowClipboard clipboard;
    {
        auto first = openDocument(512);
        (void)clipboard.copyRows(*first, {12});
    }
    auto second = openDocument(512, Content::Template);
    HookCounts counts;
    attachHooks(*second, counts);
    second->setRecNo(4);
    QCOMPARE(clipboard.pasteRows(*second), QList<int>{4});
    QCOMPARE(second->irData(), distinctBlock(12));
    QCOMPARE(second->fieldText(QStringLiteral("Function")), QStringLiteral("KEY12"));
    QCOMPARE(second->fieldText(QStringLiteral("Format")), QStringLiteral("Normal"));
}

void TestRows::shortFieldIsCopiedPadded()
{
    auto table = openDocument(512);
    table->setRecNo(2);
    table->edit();
    table->setField(QStringLiteral("IR Data"), QByteArray(100, 'A'));
    table->post();

    RowClipboard clipboard;
    (void)clipboard.copyRows(*table, {2});
    const QByteArray expected = QByteArray(100, 'A') + QByteArray(412, '\xFF');
    QCOMPARE(clipboard.block(0).toByteArray(), expected);
}

void TestRows::refusedCopyKeepsClipboard()
{
    auto table = openDocument(3);
    HookCounts counts;
    attachHooks(*table, counts);
    RowClipboard clipboard;
    (void)clipboard.copyRows(*table, {1, 2});

    QVERIFY_THROWS_EXCEPTION(ZoqError, (void)clipboard.copyRows(*table, {3, 4}));
    QCOMPARE(clipboard.rowCount(), 2);
    QCOMPARE(clipboard.block(1).toByteArray(), distinctBlock(2));
    // The after-scroll hook is attached again.
    table->setRecNo(1);
    QCOMPARE(counts.scrolls, 1);
}

QTEST_GUILESS_MAIN(TestRows)
#include "tst_rows.moc"
