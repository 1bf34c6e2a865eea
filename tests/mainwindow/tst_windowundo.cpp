// Undo and redo in the main window: every command that changes rows is one
// step, taken back and done again through the window's actions and keys.
#include "TestDocument.h"
#include "WindowTestCase.h"

#include "core/document/CodeTable.h"
#include "core/document/Document.h"
#include "core/document/DocumentStore.h"
#include "core/document/UndoHistory.h"
#include "core/image/CompiledImage.h"
#include "gui/grid/CodeGrid.h"
#include "gui/hexedit/HexEditor.h"
#include "gui/hexedit/IrDataDialog.h"
#include "gui/mainwindow/DocumentCommands.h"
#include "gui/mainwindow/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using Answer = Prompt::Answer;

namespace {

QList<QVariantList> tableRows(const CodeTable &table)
{
    QList<QVariantList> rows;
    for (int row = 0; row < table.recordCount(); ++row)
        rows.append(table.rowValues(row));
    return rows;
}

// Runs work on the next modal dialog once it is shown.
void onNextDialog(const std::function<void(QWidget *)> &work)
{
    QTimer::singleShot(0, [work] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        work(dialog);
    });
}

// Types text into the next dialog's box and presses Enter.
void answerNextDialog(const QString &text)
{
    onNextDialog([text](QWidget *dialog) {
        auto *box = dialog->findChild<QLineEdit *>();
        box->setText(text);
        QTest::keyClick(box, Qt::Key_Return);
    });
}

} // namespace

// A command of the window, run by the test on the window.
using Command = std::function<void(MainWindow &, ScriptedPrompt &)>;
Q_DECLARE_METATYPE(Command)

class TestWindowUndo : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void everyCommandIsOneStep_data();
    void everyCommandIsOneStep();
    void eachLearnedKeyIsOneStep();
    void importIsTheFirstStepAfterNew();
    void keysReachUndoFromEveryControl_data();
    void keysReachUndoFromEveryControl();
    void irDataEditorKeepsItsOwnUndo();
    void noUndoWhileAnExchangeHoldsTheLine();
    void undoingBackToTheSavedStateAsksNothing();

private:
    void startWithDistinctDocument();
    void saveOntoItself();
    void trigger(const char *name);
    [[nodiscard]] CodeTable &table() const { return m_window->table(); }
    [[nodiscard]] UndoHistory &history() const { return m_window->document().history(); }
    void recordRemark(int row, const QString &text);

    QString m_path;
};

void TestWindowUndo::init()
{
    QVERIFY(openFolderAndModule());
    m_path = m_dir->filePath(QStringLiteral("codes.zoq"));
}

void TestWindowUndo::cleanup()
{
    QVERIFY2(m_prompt.unexpected().isEmpty(), qPrintable(m_prompt.unexpected().join(QLatin1Char('|'))));
    closeAll();
}

// A document of distinct rows whose texts are not all what their blocks
// would give, opened in a started window.
void TestWindowUndo::startWithDistinctDocument()
{
    startWindow();
    TestDocument::write(m_path, 512, TestDocument::Content::Distinct);
    m_prompt.queueFileName(m_path);
    trigger("openDocument");
    QCOMPARE(m_window->documentPath(), m_path);
}

void TestWindowUndo::saveOntoItself()
{
    m_prompt.queueFileName(m_window->documentPath());
    trigger("saveDocument");
    QVERIFY(!m_window->isModified());
}

void TestWindowUndo::trigger(const char *name)
{
    m_window->action(QLatin1String(name))->trigger();
}

void TestWindowUndo::recordRemark(int row, const QString &text)
{
    table().setRecNo(row);
    history().record(QStringLiteral("Remark row %1").arg(row), [&] {
        table().edit();
        table().setField(QStringLiteral("Remark"), text);
        table().post();
    });
}

void TestWindowUndo::everyCommandIsOneStep_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("step");

    QTest::newRow("rename") << Command([](MainWindow &window, ScriptedPrompt &) {
        answerNextDialog(QStringLiteral("VOL+"));
        emit window.grid().fieldDoubleClicked(QStringLiteral("Function"));
    }) << QStringLiteral("Rename row 7");
    QTest::newRow("remark") << Command([](MainWindow &window, ScriptedPrompt &) {
        answerNextDialog(QStringLiteral("by the door"));
        emit window.grid().fieldDoubleClicked(QStringLiteral("Remark"));
    }) << QStringLiteral("Remark row 7");
    QTest::newRow("insert") << Command([](MainWindow &window, ScriptedPrompt &prompt) {
        prompt.queueAnswer(Answer::Yes); // the last row is pushed out
        window.action(QStringLiteral("insertRow"))->trigger();
    }) << QStringLiteral("Insert row 7");
    QTest::newRow("delete") << Command([](MainWindow &window, ScriptedPrompt &prompt) {
        prompt.queueAnswer(Answer::Yes);
        window.action(QStringLiteral("deleteRow"))->trigger();
    }) << QStringLiteral("Delete row 7");
    QTest::newRow("paste") << Command([](MainWindow &window, ScriptedPrompt &) {
        window.grid().clearSelection();
        for (int row : {3, 10, 5})
            window.grid().addRowToSelection(row);
        window.action(QStringLiteral("copyRows"))->trigger();
        window.table().setRecNo(7);
        window.action(QStringLiteral("pasteRows"))->trigger();
    }) << QStringLiteral("Paste");
    QTest::newRow("IR data editor") << Command([](MainWindow &window, ScriptedPrompt &prompt) {
        onNextDialog([&prompt](QWidget *dialog) {
            auto *editor = dialog->findChild<HexEditor *>();
            QTest::keyClicks(editor, QStringLiteral("00"));
            prompt.queueAnswer(Answer::Yes); // "Save changes to IR data?"
            static_cast<IrDataDialog *>(dialog)->reject();
        });
        emit window.grid().fieldDoubleClicked(QStringLiteral("IR Data"));
    }) << QStringLiteral("IR Data row 7");
    QTest::newRow("upload") << Command([](MainWindow &window, ScriptedPrompt &prompt) {
        prompt.queueAnswer(Answer::Yes);
        window.action(QStringLiteral("uploadFromModule"))->trigger();
        QCOMPARE(prompt.texts().last(), QStringLiteral("Upload completed."));
    }) << QStringLiteral("Up Load");
}

void TestWindowUndo::everyCommandIsOneStep()
{
    QFETCH(Command, command);
    QFETCH(QString, step);
    startWithDistinctDocument();
    const QList<QVariantList> opened = TestDocument::storedRows(m_path);
    const QList<QVariantList> openedInMemory = tableRows(table());
    table().setRecNo(7);
    QAction *undo = m_window->action(QStringLiteral("undoChange"));
    QAction *redo = m_window->action(QStringLiteral("redoChange"));
    QVERIFY(!undo->isEnabled());

    command(*m_window, m_prompt);
    QCOMPARE(history().stepCount(), 1);
    QCOMPARE(undo->text(), QStringLiteral("Undo ") + step);
    QVERIFY(undo->isEnabled());
    QVERIFY(!redo->isEnabled());
    const QList<QAction *> menu = m_window->findChild<QMenu *>(QStringLiteral("gridMenu"))->actions();
    QCOMPARE(menu.at(0), undo);
    QCOMPARE(menu.at(1), redo);
    const int currentAfter = table().recNo();
    saveOntoItself();
    const QList<QVariantList> changed = TestDocument::storedRows(m_path);
    QVERIFY(changed != opened);

    undo->trigger();
    QCOMPARE(table().recNo(), 7);
    QCOMPARE(tableRows(table()), openedInMemory);
    QCOMPARE(redo->text(), QStringLiteral("Redo ") + step);
    QVERIFY(m_window->grid().selectedRows().isEmpty());
    saveOntoItself();
    QCOMPARE(TestDocument::storedRows(m_path), opened);

    redo->trigger();
    QCOMPARE(table().recNo(), currentAfter);
    saveOntoItself();
    QCOMPARE(TestDocument::storedRows(m_path), changed);
    QCOMPARE(undo->text(), QStringLiteral("Undo ") + step);
}

void TestWindowUndo::eachLearnedKeyIsOneStep()
{
    startWithDistinctDocument();
    const QList<QVariantList> opened = tableRows(table());
    m_window->grid().clearSelection();
    for (int row : {4, 9})
        m_window->grid().addRowToSelection(row);
    trigger("learnSelectedRows");
    QCOMPARE(history().stepCount(), 2);
    const QList<QVariantList> learned = tableRows(table());
    QVERIFY(learned.at(3) != opened.at(3));
    QVERIFY(learned.at(8) != opened.at(8));

    trigger("undoChange");
    QCOMPARE(table().recNo(), 9);
    QCOMPARE(tableRows(table()).at(8), opened.at(8));
    QCOMPARE(tableRows(table()).at(3), learned.at(3));
    QCOMPARE(m_window->action(QStringLiteral("undoChange"))->text(), QStringLiteral("Undo Learn row 4"));
    trigger("undoChange");
    QCOMPARE(tableRows(table()), opened);
    QVERIFY(!m_window->isModified());
    trigger("redoChange");
    trigger("redoChange");
    QCOMPARE(tableRows(table()), learned);
    QVERIFY(m_window->isModified());
}

void TestWindowUndo::importIsTheFirstStepAfterNew()
{
    startWithDistinctDocument();
    const QString image = m_dir->filePath(QStringLiteral("codes.bin"));
    writeImageFile(table(), image);
    recordRemark(5, QStringLiteral("dropped with the document"));

    m_prompt.queueFileName(image);
    m_prompt.queueAnswer(Answer::No); // the open's save question
    m_prompt.queueAnswer(Answer::No); // asked again by New
    trigger("openDocument");
    QCOMPARE(history().stepCount(), 1);
    QCOMPARE(history().undoLabel(), QStringLiteral("Import"));
    const QList<QVariantList> imported = tableRows(table());

    trigger("undoChange");
    const QString fresh = m_dir->filePath(QStringLiteral("fresh.zoq"));
    DocumentStore::writeTemplate(fresh);
    CodeTable freshTable;
    freshTable.open(fresh);
    QCOMPARE(tableRows(table()), tableRows(freshTable));
    QVERIFY(!m_window->isModified());
    QVERIFY(!history().canUndo());
    trigger("redoChange");
    QCOMPARE(tableRows(table()), imported);
    QVERIFY(m_window->isModified());
}

void TestWindowUndo::keysReachUndoFromEveryControl_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("grid") << QStringLiteral("grid");
    QTest::newRow("learn time box") << QStringLiteral("learnTimeBox");
    QTest::newRow("port box") << QStringLiteral("portBox");
    QTest::newRow("format button") << QStringLiteral("rc5Rc6FormatButton");
}

void TestWindowUndo::keysReachUndoFromEveryControl()
{
    QFETCH(QString, control);
    startWithDistinctDocument();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QWidget *focus = control == QLatin1String("grid") ? &m_window->grid() : m_window->findChild<QWidget *>(control);
    if (auto *box = qobject_cast<QComboBox *>(focus); box && box->lineEdit())
        focus = box->lineEdit();
    focus->setFocus();
    QVERIFY(focus->hasFocus());
    recordRemark(5, QStringLiteral("five"));
    const QString learnTime = m_window->learnTimeBox()->currentText();

    QTest::keyClick(focus, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!history().canUndo());
    QTest::keyClick(focus, Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(!history().canRedo());
    QTest::keyClick(focus, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(focus, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!history().canRedo());
    QCOMPARE(table().fieldText(QStringLiteral("Remark")), QStringLiteral("five"));
    QCOMPARE(m_window->learnTimeBox()->currentText(), learnTime);
}

// While the editor is open its keys work on its bytes, and the window's
// history stays as it was.
void TestWindowUndo::irDataEditorKeepsItsOwnUndo()
{
    startWithDistinctDocument();
    recordRemark(6, QStringLiteral("six"));
    const QByteArray block = table().irData();
    QByteArray undoneInEditor;
    onNextDialog([&](QWidget *dialog) {
        auto *editor = dialog->findChild<HexEditor *>();
        editor->setFocus();
        QTest::keyClicks(editor, QStringLiteral("00"));
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
        undoneInEditor = editor->data();
        m_prompt.queueAnswer(Answer::No);
        static_cast<IrDataDialog *>(dialog)->reject();
    });
    emit m_window->grid().fieldDoubleClicked(QStringLiteral("IR Data"));
    QCOMPARE(undoneInEditor, block);
    QCOMPARE(history().stepCount(), 1);
    QVERIFY(history().canUndo());
    QCOMPARE(table().fieldText(QStringLiteral("Remark")), QStringLiteral("six"));
}

void TestWindowUndo::noUndoWhileAnExchangeHoldsTheLine()
{
    startWithDistinctDocument();
    recordRemark(6, QStringLiteral("six"));
    bool undoRefused = false;
    QAction *undo = m_window->action(QStringLiteral("undoChange"));
    connect(m_window->action(QStringLiteral("learnSelectedRows")), &QAction::changed, this, [&] {
        if (m_window->action(QStringLiteral("learnSelectedRows"))->text() != QLatin1String("Stop"))
            return;
        QVERIFY(!undo->isEnabled());
        // Past the disabled action, the command itself refuses.
        undo->setEnabled(true);
        undo->trigger();
        undoRefused = history().index() == 1;
    });
    trigger("learnSelectedRows");
    QVERIFY(undoRefused);
    QCOMPARE(history().stepCount(), 2);
    QVERIFY(undo->isEnabled());
    QCOMPARE(undo->text(), QStringLiteral("Undo Learn row 6"));
}

void TestWindowUndo::undoingBackToTheSavedStateAsksNothing()
{
    startWithDistinctDocument();
    recordRemark(3, QStringLiteral("three"));
    saveOntoItself();
    recordRemark(4, QStringLiteral("four"));
    QVERIFY(m_window->isModified());
    trigger("undoChange");
    QVERIFY(!m_window->isModified());
    trigger("newDocument");
    QVERIFY(!m_prompt.texts().contains(QStringLiteral("Save changes to current file?")));
    QCOMPARE(m_window->documentPath(), m_window->workingPath());
    QVERIFY(!m_window->action(QStringLiteral("undoChange"))->isEnabled());
    QVERIFY(!m_window->action(QStringLiteral("redoChange"))->isEnabled());
    QCOMPARE(m_window->action(QStringLiteral("undoChange"))->text(), QStringLiteral("Undo"));
}

QTEST_MAIN(TestWindowUndo)
#include "tst_windowundo.moc"
