// The undo history of the code table: every kind of change taken back and
// done again gives the rows exactly as they were, read back from the file
// after a save; the modified flag follows the history; the limits hold.
#include "TestDocument.h"
#include "support/ScriptedPrompt.h"

#include "core/common/ZoqError.h"
#include "core/document/CodeTable.h"
#include "core/document/Document.h"
#include "core/document/RowClipboard.h"
#include "core/document/RowMoves.h"
#include "core/document/RowName.h"
#include "core/document/TableWalkGuard.h"
#include "core/document/UndoHistory.h"
#include "core/image/CompiledImage.h"
#include "core/image/EepromImage.h"
#include "core/image/ImageSlots.h"
#include "core/signal/IrBlock.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace {

using Change = std::function<void(CodeTable &)>;

QList<QVariantList> tableRows(const CodeTable &table)
{
    QList<QVariantList> rows;
    for (int row = 0; row < table.recordCount(); ++row)
        rows.append(table.rowValues(row));
    return rows;
}

// A learned key: a valid block whose name and carrier the derivation reads.
QByteArray learnedBlock(int seed)
{
    QByteArray block = TestDocument::distinctBlock(seed);
    const QByteArray name = "LEARNED" + QByteArray::number(seed % 100);
    block.replace(IrBlock::NameOffset, name.size() + 1, name + '\0');
    return block;
}

void storeBlock(CodeTable &table, const QByteArray &block)
{
    table.edit();
    table.setField(QStringLiteral("IR Data"), block);
    table.post();
}

void setRemark(CodeTable &table, const QString &remark)
{
    table.edit();
    table.setField(QStringLiteral("Remark"), remark);
    table.post();
}

QByteArray imageOf(int seed)
{
    QByteArray image;
    for (int slot = 0; slot < EepromImage::SlotCount; ++slot)
        image += learnedBlock(seed + slot);
    return image;
}

// Stores slots as an upload does: the row-change hook detached and the views
// suspended for the walk, every slot posted and derived, the first row
// current at the end.
void uploadSlots(CodeTable &table, int count, int seed)
{
    {
        const TableWalkGuard walk(table, TableWalkGuard::AfterRowChange | TableWalkGuard::Views);
        for (int slot = 0; slot < count; ++slot) {
            table.setRecNo(slot + 1);
            storeSlot(table, learnedBlock(seed + slot));
        }
        table.first();
    }
}

void pasteAt(CodeTable &table, const QList<int> &copied, int at)
{
    RowClipboard clipboard;
    (void)clipboard.copyRows(table, copied);
    table.setRecNo(at);
    (void)clipboard.pasteRows(table);
}

void rename(CodeTable &table, const QString &name)
{
    QString refusal;
    QVERIFY2(RowName::renameCurrentRow(table, name, &refusal), qPrintable(refusal));
}

} // namespace

Q_DECLARE_METATYPE(Change)

class TestUndoHistory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void eachChangeUndoneAndRedone_data();
    void eachChangeUndoneAndRedone();
    void restoreKeepsTextsWhenTheNameEncodingChanged();
    void randomChangesUndoneAndRedoneAllTheWay();
    void modifiedFlagFollowsTheHistory();
    void newAndOpenClearTheHistorySaveKeepsIt();
    void recordingKeepsOnlyRealChanges();
    void stepCountIsLimited();
    void stepBytesAreLimited_data();
    void stepBytesAreLimited();

private:
    void openDistinct();
    void save();
    [[nodiscard]] CodeTable &table() const { return m_document->table(); }
    [[nodiscard]] UndoHistory &history() const { return m_document->history(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedPrompt m_prompt;
    std::unique_ptr<CodeTable> m_table;
    std::unique_ptr<Document> m_document;
    QString m_path;
};

void TestUndoHistory::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_prompt.clear();
    m_table = std::make_unique<CodeTable>();
    m_document = std::make_unique<Document>(*m_table, m_prompt, m_dir->filePath(QStringLiteral("Temp.~tmp")));
    m_path = m_dir->filePath(QStringLiteral("codes.zoq"));
}

void TestUndoHistory::cleanup()
{
    QVERIFY(m_prompt.unexpected().isEmpty());
    m_document.reset();
    m_table.reset();
    m_dir.reset();
}

// Every row different, with null fields and "Function" texts that differ from
// the names in the blocks: texts that a derivation would not give back.
void TestUndoHistory::openDistinct()
{
    TestDocument::write(m_path, 512, TestDocument::Content::Distinct);
    m_document->open(m_path);
}

// Save onto the open document's own file.
void TestUndoHistory::save()
{
    m_prompt.queueFileName(m_document->path());
    m_document->save();
}

void TestUndoHistory::eachChangeUndoneAndRedone_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<int>("rowsChanged");

    QTest::newRow("rename") << Change([](CodeTable &t) { rename(t, QStringLiteral("VOL+")); }) << 1;
    QTest::newRow("remark") << Change([](CodeTable &t) { setRemark(t, QStringLiteral("front door")); }) << 1;
    QTest::newRow("insert") << Change([](CodeTable &t) { insertEmptyRow(t, 7); }) << 506;
    QTest::newRow("delete") << Change([](CodeTable &t) { deleteRowContent(t, 7); }) << 506;
    QTest::newRow("paste of three rows") << Change([](CodeTable &t) { pasteAt(t, {3, 10, 5}, 200); }) << 3;
    QTest::newRow("paste cut at the last row") << Change([](CodeTable &t) { pasteAt(t, {3, 10, 5}, 511); }) << 2;
    QTest::newRow("paste of every row") << Change([](CodeTable &t) {
        QList<int> all;
        for (int row = 1; row <= 512; ++row)
            all.append(row);
        pasteAt(t, all, 1);
    }) << 512;
    QTest::newRow("learned or edited block") << Change([](CodeTable &t) { storeBlock(t, learnedBlock(9)); }) << 1;
    QTest::newRow("import") << Change([](CodeTable &t) { importImage(t, imageOf(40)); }) << 512;
    QTest::newRow("upload") << Change([](CodeTable &t) { uploadSlots(t, 512, 70); }) << 512;
    QTest::newRow("upload stopped at slot 100") << Change([](CodeTable &t) { uploadSlots(t, 100, 70); }) << 100;
}

void TestUndoHistory::eachChangeUndoneAndRedone()
{
    QFETCH(Change, change);
    QFETCH(int, rowsChanged);
    openDistinct();
    const QList<QVariantList> opened = TestDocument::storedRows(m_path);
    table().setRecNo(7);

    history().record(QStringLiteral("change"), [&] { change(table()); });
    QCOMPARE(history().stepCount(), 1);
    const int currentAfter = table().recNo();
    const QList<QVariantList> inMemoryAfter = tableRows(table());
    save();
    const QList<QVariantList> changed = TestDocument::storedRows(m_path);
    int differing = 0;
    for (int row = 0; row < 512; ++row)
        differing += changed.at(row) != opened.at(row) ? 1 : 0;
    QCOMPARE(differing, rowsChanged);

    history().undo();
    QCOMPARE(table().recNo(), 7);
    save();
    QCOMPARE(TestDocument::storedRows(m_path), opened);

    history().redo();
    QCOMPARE(table().recNo(), currentAfter);
    QCOMPARE(tableRows(table()), inMemoryAfter);
    save();
    QCOMPARE(TestDocument::storedRows(m_path), changed);
}

// Undo writes back what was stored, not what the blocks would give in the
// encoding chosen since.
void TestUndoHistory::restoreKeepsTextsWhenTheNameEncodingChanged()
{
    openDistinct();
    const QList<QVariantList> opened = tableRows(table());
    table().setRecNo(3);
    history().record(QStringLiteral("rename"), [&] { rename(table(), QStringLiteral("caf\u00e9")); });
    const QList<QVariantList> renamed = tableRows(table());

    table().setNameEncoding(NameEncoding(NameEncoding::Kind::Gbk));
    history().undo();
    QCOMPARE(tableRows(table()), opened);
    history().redo();
    QCOMPARE(tableRows(table()), renamed);
    QCOMPARE(table().fieldText(QStringLiteral("Function")), QStringLiteral("caf\u00e9"));
}

void TestUndoHistory::randomChangesUndoneAndRedoneAllTheWay()
{
    openDistinct();
    history().setLimits(1000, UndoHistory::MaxBytes);
    const QList<QVariantList> openedStored = TestDocument::storedRows(m_path);
    const QList<QVariantList> opened = tableRows(table());

    QRandomGenerator random(20240917);
    const auto anyRow = [&random] { return random.bounded(1, 513); };
    int firstRow = 0;
    for (int i = 0; i < 200; ++i) {
        table().setRecNo(anyRow());
        if (i == 0)
            firstRow = table().recNo();
        const int kind = random.bounded(8);
        history().record(QStringLiteral("change %1").arg(i), [&] {
            switch (kind) {
            case 0:
                rename(table(), QStringLiteral("K%1").arg(i));
                break;
            case 1:
                setRemark(table(), QStringLiteral("remark %1").arg(i));
                break;
            case 2:
                insertEmptyRow(table(), table().recNo());
                break;
            case 3:
                deleteRowContent(table(), table().recNo());
                break;
            case 4:
                pasteAt(table(), {anyRow(), anyRow(), anyRow()}, anyRow());
                break;
            case 5:
                storeBlock(table(), learnedBlock(i));
                break;
            case 6:
                uploadSlots(table(), random.bounded(1, 513), i);
                break;
            default:
                importImage(table(), imageOf(i));
                break;
            }
        });
    }
    QCOMPARE(history().stepCount(), 200); // every change of this sequence changes rows
    const QList<QVariantList> changedRows = tableRows(table());
    const int finalRow = table().recNo();

    while (history().canUndo())
        history().undo();
    QCOMPARE(tableRows(table()), opened);
    QCOMPARE(table().recNo(), firstRow);
    QVERIFY(!m_document->isModified());
    while (history().canRedo())
        history().redo();
    QCOMPARE(tableRows(table()), changedRows);
    QCOMPARE(table().recNo(), finalRow);

    // The same through the file.
    save();
    const QList<QVariantList> finalStored = TestDocument::storedRows(m_path);
    while (history().canUndo())
        history().undo();
    save();
    QCOMPARE(TestDocument::storedRows(m_path), openedStored);
    while (history().canRedo())
        history().redo();
    save();
    QCOMPARE(TestDocument::storedRows(m_path), finalStored);
    QCOMPARE(history().stepCount(), 200);
}

void TestUndoHistory::modifiedFlagFollowsTheHistory()
{
    openDistinct();
    const auto remark = [this](const QString &text) {
        history().record(QStringLiteral("remark"), [&] { setRemark(table(), text); });
    };
    QVERIFY(!m_document->isModified());
    remark(QStringLiteral("a"));
    QVERIFY(m_document->isModified());
    history().undo();
    QVERIFY(!m_document->isModified());
    // Back at the opened state, closing asks nothing.
    QVERIFY(m_document->confirmDiscard());
    QVERIFY(m_prompt.asked().isEmpty());
    history().redo();
    QVERIFY(m_document->isModified());

    save();
    QVERIFY(!m_document->isModified());
    history().undo();
    QVERIFY(m_document->isModified());
    history().redo();
    QVERIFY(!m_document->isModified());

    // A new step after undoing past the saved state: that state is gone.
    history().undo();
    remark(QStringLiteral("b"));
    QVERIFY(m_document->isModified());
    history().undo();
    QVERIFY(m_document->isModified());
    history().redo();
    QVERIFY(m_document->isModified());

    // A post outside the history stays a change whatever is undone.
    save();
    setRemark(table(), QStringLiteral("unrecorded"));
    QVERIFY(m_document->isModified());
    history().undo();
    history().redo();
    QVERIFY(m_document->isModified());
    save();
    QVERIFY(!m_document->isModified());
}

void TestUndoHistory::newAndOpenClearTheHistorySaveKeepsIt()
{
    openDistinct();
    table().setRecNo(4);
    history().record(QStringLiteral("remark"), [&] { setRemark(table(), QStringLiteral("four")); });

    // Save under a new name opens the new file: the step still applies.
    m_prompt.queueFileName(m_dir->filePath(QStringLiteral("other")));
    m_document->save();
    QCOMPARE(m_document->path(), m_dir->filePath(QStringLiteral("other.zoq")));
    QVERIFY(!m_document->isModified());
    QCOMPARE(history().undoLabel(), QStringLiteral("remark"));
    history().undo();
    QCOMPARE(table().recNo(), 4);
    QCOMPARE(table().field(QStringLiteral("Remark")), TestDocument::distinctRow(4).at(4));
    QVERIFY(m_document->isModified());
    history().redo();

    m_document->open(m_path);
    QCOMPARE(history().stepCount(), 0);
    QVERIFY(!history().canRedo());
    history().record(QStringLiteral("remark"), [&] { setRemark(table(), QStringLiteral("again")); });
    m_prompt.queueAnswer(Prompt::Answer::No);
    QVERIFY(m_document->createNew());
    QCOMPARE(history().stepCount(), 0);
    QVERIFY(!m_document->isModified());
}

void TestUndoHistory::recordingKeepsOnlyRealChanges()
{
    openDistinct();
    QSignalSpy changed(&history(), &UndoHistory::changed);
    history().record(QStringLiteral("nothing"), [] {});
    history().record(QStringLiteral("a move"), [&] { table().setRecNo(2); });
    QCOMPARE(history().stepCount(), 0);
    QCOMPARE(changed.count(), 0);

    // A change inside another is part of it.
    history().record(QStringLiteral("outer"), [&] {
        setRemark(table(), QStringLiteral("one"));
        history().record(QStringLiteral("inner"), [&] { storeBlock(table(), learnedBlock(3)); });
    });
    QCOMPARE(history().stepCount(), 1);
    QCOMPARE(history().undoLabel(), QStringLiteral("outer"));

    // A change that fails half-way keeps what it did.
    QVERIFY_THROWS_EXCEPTION(ZoqError, history().record(QStringLiteral("failing"), [&] {
        setRemark(table(), QStringLiteral("done"));
        table().setRecNo(513);
    }));
    QCOMPARE(history().stepCount(), 2);
    history().undo();
    QCOMPARE(table().field(QStringLiteral("Remark")).toString(), QStringLiteral("one"));

    // A change that replaces the document keeps nothing.
    m_prompt.queueAnswer(Prompt::Answer::No);
    history().record(QStringLiteral("new"), [&] { QVERIFY(m_document->createNew()); });
    QCOMPARE(history().stepCount(), 0);
    QVERIFY(!m_document->isModified());
}

void TestUndoHistory::stepCountIsLimited()
{
    openDistinct();
    for (int i = 0; i <= UndoHistory::MaxSteps; ++i)
        history().record(QStringLiteral("remark %1").arg(i), [&] { setRemark(table(), QStringLiteral("r%1").arg(i)); });
    QCOMPARE(history().stepCount(), UndoHistory::MaxSteps);
    while (history().canUndo())
        history().undo();
    // The oldest step went first, and the opened state with it.
    QCOMPARE(table().fieldText(QStringLiteral("Remark")), QStringLiteral("r0"));
    QVERIFY(m_document->isModified());
    QCOMPARE(history().redoLabel(), QStringLiteral("remark 1"));
}

void TestUndoHistory::stepBytesAreLimited_data()
{
    QTest::addColumn<int>("blockMiB");
    QTest::addColumn<int>("changes");
    QTest::addColumn<int>("stepsKept");
    // Each step keeps the block before and after.
    QTest::newRow("10 MiB blocks") << 10 << 4 << 3;
    QTest::newRow("one step beyond the limit") << 33 << 2 << 0;
}

// Documents from elsewhere may hold far larger "IR Data" fields than 512 bytes.
void TestUndoHistory::stepBytesAreLimited()
{
    QFETCH(int, blockMiB);
    QFETCH(int, changes);
    QFETCH(int, stepsKept);
    openDistinct();
    const qsizetype size = qsizetype(blockMiB) * 1024 * 1024;
    for (int i = 0; i < changes; ++i) {
        history().record(QStringLiteral("huge"), [&] { storeBlock(table(), QByteArray(size, char('a' + i))); });
        QVERIFY(history().byteSize() <= UndoHistory::MaxBytes);
    }
    QCOMPARE(history().stepCount(), stepsKept);
    QVERIFY(m_document->isModified());
    while (history().canUndo())
        history().undo();
    QCOMPARE(table().irData().size(), stepsKept == changes ? 512 : size);
}

QTEST_GUILESS_MAIN(TestUndoHistory)
#include "tst_undohistory.moc"
