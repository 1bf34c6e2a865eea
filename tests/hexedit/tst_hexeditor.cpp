#include "core/common/ZoqError.h"
#include "gui/hexedit/HexEditBuffer.h"
#include "gui/hexedit/HexEditCommand.h"
#include "gui/hexedit/HexEditor.h"
#include "gui/hexedit/HexEditorLayout.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>

using Move = HexEditorLayout::Move;
Q_DECLARE_METATYPE(Move)

class TestHexEditor : public QObject
{
    Q_OBJECT

private slots:
    void offsetTexts_data();
    void offsetTexts();
    void rowCountAndAppendRow();
    void positionAtRoundTrip_data();
    void positionAtRoundTrip();
    void moves_data();
    void moves();
    void scrolledTo();

    void commandsMatchReference();
    void typingMergesIntoOneStep();

    void init();
    void typingOverwritesNibbles();
    void overwriteKeepsSizeAtEnd();
    void insertAndDeleteChangeSize();
    void undoRestores();
    void loadResets();
    void readBeyondContentThrows_data();
    void readBeyondContentThrows();
    void saveWritesAll();
    void shiftMovesSelect();
    void mouseClickAndDrag();
    void copyPasteRoundTrip();
    void pasteRules_data();
    void pasteRules();
    void readOnlyRefusesEdits();
    void changedBytesArePainted();
    void cursorStaysVisible();

private:
    static QByteArray pattern(int count);
    static QPoint cellCentre(const HexEditor &editor, int position);

    std::unique_ptr<HexEditor> m_editor;
};

QByteArray TestHexEditor::pattern(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(char(i));
    return bytes;
}

QPoint TestHexEditor::cellCentre(const HexEditor &editor, int position)
{
    return editor.layout().digitsRect(position, editor.firstRow()).center();
}

// ---------------------------------------------------------------------------
// Layout arithmetic

void TestHexEditor::offsetTexts_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");

    QTest::newRow("block first") << 512 << 0 << "0x000";
    QTest::newRow("block last") << 512 << 15 << "0x1E0";
    QTest::newRow("block append row") << 512 << 16 << "0x200";
    QTest::newRow("short block") << 511 << 15 << "0x1E0";
    QTest::newRow("one row") << 31 << 0 << "0x0";
    QTest::newRow("two rows") << 32 << 1 << "0x20";
    QTest::newRow("empty") << 0 << 0 << "0x0";
    QTest::newRow("four digits") << 4096 << 127 << "0x0FE0";
}

void TestHexEditor::offsetTexts()
{
    QFETCH(int, size);
    QFETCH(int, row);
    QFETCH(QString, text);

    HexEditorLayout layout(7, 16);
    layout.setByteCount(size);
    QCOMPARE(layout.offsetText(row), text);
    QCOMPARE(HexEditorLayout::rulerText(31), QStringLiteral("1F"));
    QCOMPARE(HexEditorLayout::byteText(0xab), QStringLiteral("AB"));
}

void TestHexEditor::rowCountAndAppendRow()
{
    HexEditorLayout layout(7, 16);
    layout.setByteCount(512);
    QCOMPARE(layout.rowCount(0), 16);
    QCOMPARE(layout.rowCount(511), 16);
    QCOMPARE(layout.rowCount(512), 17);
    layout.setByteCount(500);
    QCOMPARE(layout.rowCount(500), 16);
    layout.setByteCount(0);
    QCOMPARE(layout.rowCount(0), 1);
}

void TestHexEditor::positionAtRoundTrip_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("firstRow");

    for (int position : {0, 1, 31, 32, 255, 480, 511})
        QTest::addRow("%d", position) << position << 0;
    for (int position : {96, 127, 255, 480, 511})
        QTest::addRow("%d scrolled", position) << position << 3;
}

void TestHexEditor::positionAtRoundTrip()
{
    QFETCH(int, position);
    QFETCH(int, firstRow);

    HexEditorLayout layout(7, 16);
    layout.setByteCount(512);
    QCOMPARE(layout.positionAt(layout.digitsRect(position, firstRow).center(), firstRow), position);
    QCOMPARE(layout.positionAt(layout.cellRect(position, firstRow).topLeft(), firstRow), position);
    QCOMPARE(layout.positionAt(layout.cellRect(position, firstRow).bottomRight(), firstRow), position);
    // Above the rows a drag reaches the row before the first one shown.
    QCOMPARE(layout.positionAt(QPoint(layout.columnX(5), -40), firstRow), std::max(0, (firstRow - 1) * 32 + 5));
    // Below the last row and right of the last column: the append position.
    QCOMPARE(layout.positionAt(QPoint(5000, 5000), firstRow), 512);
}

void TestHexEditor::moves_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("from");
    QTest::addColumn<Move>("move");
    QTest::addColumn<int>("to");

    QTest::newRow("left at start") << 512 << 0 << Move::Left << 0;
    QTest::newRow("right to append") << 512 << 511 << Move::Right << 512;
    QTest::newRow("right at append") << 512 << 512 << Move::Right << 512;
    QTest::newRow("up") << 512 << 40 << Move::Up << 8;
    QTest::newRow("up on first row") << 512 << 8 << Move::Up << 8;
    QTest::newRow("down") << 512 << 8 << Move::Down << 40;
    QTest::newRow("down on last row") << 512 << 500 << Move::Down << 500;
    QTest::newRow("down into short row") << 500 << 460 << Move::Down << 492;
    QTest::newRow("down beyond short row") << 500 << 470 << Move::Down << 470;
    QTest::newRow("down to append") << 500 << 468 << Move::Down << 500;
    QTest::newRow("row start") << 512 << 77 << Move::RowStart << 64;
    QTest::newRow("row end") << 512 << 77 << Move::RowEnd << 95;
    QTest::newRow("row end of short row") << 500 << 490 << Move::RowEnd << 500;
    QTest::newRow("page up") << 512 << 300 << Move::PageUp << 300 - 4 * 32;
    QTest::newRow("page up past start") << 512 << 70 << Move::PageUp << 6;
    QTest::newRow("page down") << 512 << 6 << Move::PageDown << 6 + 4 * 32;
    QTest::newRow("page down past end") << 512 << 450 << Move::PageDown << 482;
    QTest::newRow("data start") << 512 << 300 << Move::DataStart << 0;
    QTest::newRow("data end") << 512 << 3 << Move::DataEnd << 512;
    QTest::newRow("empty") << 0 << 0 << Move::Right << 0;
}

void TestHexEditor::moves()
{
    QFETCH(int, size);
    QFETCH(int, from);
    QFETCH(Move, move);
    QFETCH(int, to);

    HexEditorLayout layout(7, 16);
    layout.setByteCount(size);
    QCOMPARE(layout.moved(from, move, 4), to);
}

void TestHexEditor::scrolledTo()
{
    QCOMPARE(HexEditorLayout::scrolledTo(5, 0, 10), 0);
    QCOMPARE(HexEditorLayout::scrolledTo(12, 0, 10), 3);
    QCOMPARE(HexEditorLayout::scrolledTo(2, 6, 10), 2);
}

// ---------------------------------------------------------------------------
// Buffer and undo commands

// Random edits through the commands must match the same edits on a plain
// array, and undoing all of them must give back the start.
void TestHexEditor::commandsMatchReference()
{
    QRandomGenerator random(20091015);
    HexEditBuffer buffer;
    const QByteArray start = pattern(512);
    buffer.load(start);
    QByteArray reference = start;
    QUndoStack stack;

    for (int step = 0; step < 300; ++step) {
        const int position = random.bounded(reference.size() + 1);
        const int count = random.bounded(std::min<qsizetype>(reference.size() - position, 4) + 1);
        QByteArray bytes;
        for (int i = random.bounded(4); i > 0; --i)
            bytes.append(char(random.bounded(256)));
        const bool typing = random.bounded(2) == 0;
        stack.push(new HexEditCommand(buffer, {position, count, bytes, typing, 0, 0}, {}));
        reference.replace(position, count, bytes);
        QCOMPARE(buffer.bytes(), reference);
    }
    const QByteArray end = reference;
    while (stack.canUndo())
        stack.undo();
    QCOMPARE(buffer.bytes(), start);
    for (int i = 0; i < buffer.size(); ++i)
        QVERIFY(!buffer.isChanged(i));
    while (stack.canRedo())
        stack.redo();
    QCOMPARE(buffer.bytes(), end);
}

void TestHexEditor::typingMergesIntoOneStep()
{
    HexEditBuffer buffer;
    buffer.load(QByteArray(8, '\0'));
    QUndoStack stack;
    const auto type = [&](int position, int count, char byte) {
        stack.push(new HexEditCommand(buffer, {position, count, QByteArray(1, byte), true, 0, 0}, {}));
    };
    type(2, 1, '\x70');
    type(2, 1, '\x72');
    type(3, 1, '\x30');
    type(4, 0, '\x0A');
    QCOMPARE(buffer.bytes(), QByteArray("\0\0\x72\x30\x0A\0\0\0\0", 9));
    QCOMPARE(stack.count(), 1);
    QVERIFY(buffer.isChanged(4) && !buffer.isChanged(5));

    type(7, 1, '\x11'); // not next to the run: a step of its own
    QCOMPARE(stack.count(), 2);
    stack.undo();
    stack.undo();
    QCOMPARE(buffer.bytes(), QByteArray(8, '\0'));
}

// ---------------------------------------------------------------------------
// The widget

void TestHexEditor::init()
{
    m_editor = std::make_unique<HexEditor>();
    m_editor->resize(m_editor->sizeHint());
    m_editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_editor.get()));
    m_editor->load(QByteArray(512, '\0'));
}

void TestHexEditor::typingOverwritesNibbles()
{
    HexEditor &editor = *m_editor;
    QSignalSpy changed(&editor, &HexEditor::contentChanged);
    QTest::keyClicks(&editor, QStringLiteral("72a"));
    QCOMPARE(editor.read(0, 3), QByteArray("\x72\xA0\x00", 3));
    QCOMPARE(editor.cursorPosition(), 1);
    QTest::keyClicks(&editor, QStringLiteral("bz")); // z is not a digit
    QCOMPARE(editor.read(0, 3), QByteArray("\x72\xAB\x00", 3));
    QCOMPARE(editor.cursorPosition(), 2);
    QCOMPARE(editor.size(), 512);
    QVERIFY(editor.isModified());
    QVERIFY(editor.isByteChanged(0) && editor.isByteChanged(1) && !editor.isByteChanged(2));
    QVERIFY(!changed.isEmpty());
}

void TestHexEditor::overwriteKeepsSizeAtEnd()
{
    HexEditor &editor = *m_editor;
    QTest::keyClick(&editor, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(editor.cursorPosition(), 512);
    QTest::keyClicks(&editor, QStringLiteral("ff"));
    QCOMPARE(editor.size(), 512);
    QVERIFY(!editor.isModified());
}

void TestHexEditor::insertAndDeleteChangeSize()
{
    HexEditor &editor = *m_editor;
    editor.load(QByteArray("\x01\x02\x03\x04", 4));
    editor.setCursorPosition(1);
    QTest::keyClick(&editor, Qt::Key_Insert);
    QVERIFY(editor.isInsertMode());
    QTest::keyClicks(&editor, QStringLiteral("ff7"));
    QCOMPARE(editor.data(), QByteArray("\x01\xFF\x70\x02\x03\x04", 6));

    QTest::keyClick(&editor, Qt::Key_Insert);
    editor.setCursorPosition(3);
    QTest::keyClick(&editor, Qt::Key_Delete);
    QCOMPARE(editor.data(), QByteArray("\x01\xFF\x70\x03\x04", 5));
    QTest::keyClick(&editor, Qt::Key_Backspace);
    QCOMPARE(editor.data(), QByteArray("\x01\xFF\x03\x04", 4));
    QCOMPARE(editor.cursorPosition(), 2);

    editor.setSelection(1, 2);
    QTest::keyClick(&editor, Qt::Key_Delete);
    QCOMPARE(editor.data(), QByteArray("\x01\x04", 2));
    editor.setCursorPosition(0);
    QTest::keyClick(&editor, Qt::Key_Backspace);
    QCOMPARE(editor.size(), 2);
}

void TestHexEditor::undoRestores()
{
    HexEditor &editor = *m_editor;
    QTest::keyClicks(&editor, QStringLiteral("1234"));
    QTest::keyClick(&editor, Qt::Key_Delete);
    QCOMPARE(editor.size(), 511);

    QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor.size(), 512);
    QCOMPARE(editor.read(0, 2), QByteArray("\x12\x34"));
    QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor.data(), QByteArray(512, '\0'));
    QCOMPARE(editor.cursorPosition(), 0);
    QVERIFY(!editor.isModified());
    QVERIFY(!editor.isByteChanged(0));

    QTest::keyClick(&editor, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(editor.read(0, 2), QByteArray("\x12\x34"));
    QVERIFY(editor.isModified());

    editor.setModified(false);
    QVERIFY(!editor.isModified());
    editor.setModified(true);
    QVERIFY(editor.isModified());
}

void TestHexEditor::loadResets()
{
    HexEditor &editor = *m_editor;
    QTest::keyClicks(&editor, QStringLiteral("99"));
    editor.setSelection(3, 4);
    editor.load(pattern(64));
    QCOMPARE(editor.data(), pattern(64));
    QVERIFY(!editor.isModified());
    QCOMPARE(editor.cursorPosition(), 0);
    QCOMPARE(editor.selectionLength(), 0);
    QVERIFY(!editor.isByteChanged(0));
    QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor.data(), pattern(64));
}

void TestHexEditor::readBeyondContentThrows_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("fits");

    QTest::newRow("whole") << 0 << 512 << true;
    QTest::newRow("last byte") << 511 << 1 << true;
    QTest::newRow("nothing at end") << 512 << 0 << true;
    QTest::newRow("one too many") << 0 << 513 << false;
    QTest::newRow("past end") << 500 << 13 << false;
    QTest::newRow("negative index") << -1 << 1 << false;
    QTest::newRow("negative count") << 0 << -1 << false;
}

void TestHexEditor::readBeyondContentThrows()
{
    QFETCH(int, index);
    QFETCH(int, count);
    QFETCH(bool, fits);

    if (fits)
        QCOMPARE(m_editor->read(index, count).size(), count);
    else
        QVERIFY_THROWS_EXCEPTION(ZoqError, (void)m_editor->read(index, count));
}

void TestHexEditor::saveWritesAll()
{
    m_editor->load(pattern(300));
    QBuffer device;
    QVERIFY(device.open(QIODevice::WriteOnly));
    QVERIFY(m_editor->save(device));
    QCOMPARE(device.data(), pattern(300));
}

void TestHexEditor::shiftMovesSelect()
{
    HexEditor &editor = *m_editor;
    QSignalSpy selection(&editor, &HexEditor::selectionChanged);
    editor.setCursorPosition(33);
    QTest::keyClick(&editor, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&editor, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(editor.selectionStart(), 33);
    QCOMPARE(editor.selectionLength(), 33);
    QVERIFY(editor.canCopy());
    QVERIFY(!selection.isEmpty());
    QTest::keyClick(&editor, Qt::Key_Home, Qt::ShiftModifier | Qt::ControlModifier);
    QCOMPARE(editor.selectionStart(), 0);
    QCOMPARE(editor.selectionLength(), 33);
    QTest::keyClick(&editor, Qt::Key_Left);
    QCOMPARE(editor.selectionLength(), 0);
    QVERIFY(!editor.canCopy());
    QTest::keyClick(&editor, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(editor.selectionLength(), 512);
}

void TestHexEditor::mouseClickAndDrag()
{
    HexEditor &editor = *m_editor;
    QWidget *viewport = editor.viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cellCentre(editor, 37));
    QCOMPARE(editor.cursorPosition(), 37);
    QCOMPARE(editor.selectionLength(), 0);

    QTest::mousePress(viewport, Qt::LeftButton, {}, cellCentre(editor, 70));
    QMouseEvent move(QEvent::MouseMove, cellCentre(editor, 40), viewport->mapToGlobal(cellCentre(editor, 40)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, cellCentre(editor, 40));
    QCOMPARE(editor.selectionStart(), 40);
    QCOMPARE(editor.selectionLength(), 31);
}

void TestHexEditor::copyPasteRoundTrip()
{
    HexEditor &editor = *m_editor;
    editor.load(pattern(512));
    editor.setSelection(0x72, 3);
    editor.copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("72 73 74"));
    QVERIFY(editor.canPaste());

    editor.setCursorPosition(10);
    editor.paste();
    QCOMPARE(editor.read(9, 5), QByteArray("\x09\x72\x73\x74\x0D"));
    QCOMPARE(editor.size(), 512);
    QCOMPARE(editor.cursorPosition(), 13);
    QVERIFY(editor.isModified());
    QVERIFY(editor.isByteChanged(12) && !editor.isByteChanged(13));
    QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor.data(), pattern(512));
}

void TestHexEditor::pasteRules_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<bool>("pasteable");
    QTest::addColumn<bool>("insert");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("result");

    const QByteArray base("\x00\x01\x02\x03\x04\x05", 6);
    QTest::newRow("overwrite at cursor") << "aa,0xBB" << true << false << 1 << 0
                                         << QByteArray("\x00\xAA\xBB\x03\x04\x05", 6);
    QTest::newRow("overwrite cut at end") << "AA BB CC" << true << false << 4 << 0
                                          << QByteArray("\x00\x01\x02\x03\xAA\xBB", 6);
    QTest::newRow("overwrite from selection") << "AA" << true << false << 2 << 3
                                              << QByteArray("\x00\x01\xAA\x03\x04\x05", 6);
    QTest::newRow("overwrite at append position") << "AA" << true << false << 6 << 0 << base;
    QTest::newRow("insert at cursor") << "AA BB" << true << true << 1 << 0
                                      << QByteArray("\x00\xAA\xBB\x01\x02\x03\x04\x05", 8);
    QTest::newRow("insert replaces selection") << "AA" << true << true << 1 << 4 << QByteArray("\x00\xAA\x05", 3);
    QTest::newRow("insert appends") << "AA" << true << true << 6 << 0 << base + '\xAA';
    QTest::newRow("not hex") << "hello" << false << true << 1 << 0 << base;
    QTest::newRow("no bytes") << " , " << false << true << 1 << 0 << base;
    QTest::newRow("too long") << QString(HexEditor::PasteTextLimit + 1, u'1') << false << true << 1 << 0 << base;
}

void TestHexEditor::pasteRules()
{
    QFETCH(QString, clipboard);
    QFETCH(bool, pasteable);
    QFETCH(bool, insert);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QByteArray, result);

    HexEditor &editor = *m_editor;
    const QByteArray base("\x00\x01\x02\x03\x04\x05", 6);
    editor.load(base);
    editor.setInsertMode(insert);
    editor.setSelection(start, length);
    QGuiApplication::clipboard()->setText(clipboard);
    QCOMPARE(editor.canPaste(), pasteable);
    editor.paste();
    QCOMPARE(editor.data(), result);
    QCOMPARE(editor.isModified(), result != base);
}

void TestHexEditor::readOnlyRefusesEdits()
{
    HexEditor &editor = *m_editor;
    editor.setReadOnly(true);
    QGuiApplication::clipboard()->setText(QStringLiteral("11 22"));
    QTest::keyClicks(&editor, QStringLiteral("77"));
    QTest::keyClick(&editor, Qt::Key_Delete);
    editor.paste();
    QCOMPARE(editor.data(), QByteArray(512, '\0'));
    QVERIFY(!editor.isModified());
    editor.setSelection(0, 2);
    QVERIFY(editor.canCopy());
}

void TestHexEditor::changedBytesArePainted()
{
    HexEditor &editor = *m_editor;
    QTest::keyClicks(&editor, QStringLiteral("55"));
    editor.setCursorPosition(100);
    const QImage image = editor.viewport()->grab().toImage();
    const int first = editor.firstRow();
    const QRect changed = editor.layout().cellRect(0, first);
    const QRect plain = editor.layout().cellRect(2, first);
    const QRect offset(0, editor.layout().rowY(0, first), editor.layout().offsetWidth(), 4);
    const qreal scale = image.devicePixelRatio();
    const auto pixel = [&](QPoint p) { return image.pixelColor((QPointF(p) * scale).toPoint()).rgb(); };
    QCOMPARE(pixel(changed.topLeft() + QPoint(1, 1)), HexEditor::ChangedBackground);
    QCOMPARE(pixel(plain.topLeft() + QPoint(1, 1)), editor.palette().base().color().rgb());
    QCOMPARE(pixel(offset.topLeft() + QPoint(1, 1)), editor.palette().button().color().rgb());
}

void TestHexEditor::cursorStaysVisible()
{
    HexEditor &editor = *m_editor;
    editor.resize(editor.sizeHint().width(), editor.minimumSizeHint().height() + 40);
    QTest::keyClick(&editor, Qt::Key_End, Qt::ControlModifier);
    const int visible = editor.layout().visibleRows(editor.viewport()->height());
    QVERIFY(editor.firstRow() > 0);
    QVERIFY(editor.firstRow() + visible > HexEditorLayout::rowOf(editor.cursorPosition()));
    QCOMPARE(editor.verticalScrollBar()->maximum(), 17 - visible);
    QTest::keyClick(&editor, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(editor.firstRow(), 0);
}

QTEST_MAIN(TestHexEditor)
#include "tst_hexeditor.moc"
