#include "gui/grid/CodeGrid.h"
#include "gui/grid/CodeGridDelegate.h"
#include "core/document/CodeTable.h"
#include "core/document/DocumentStore.h"
#include "gui/grid/GridGeometry.h"
#include "gui/grid/SendButtonArt.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using GridGeometry::PressTarget;

Q_DECLARE_METATYPE(PressTarget)

namespace {

const QList<int> Widths{50, 116, 53, 46, 74, 844};
const QStringList Names{QStringLiteral("ID"), QStringLiteral("Function"), QStringLiteral("Format"),
                        QStringLiteral("Carry"), QStringLiteral("IR Data"), QStringLiteral("Remark")};

[[nodiscard]] bool isRed(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 90 && qBlue(pixel) < 90;
}

[[nodiscard]] bool isDark(QRgb pixel)
{
    return qRed(pixel) < 100 && qGreen(pixel) < 100 && qBlue(pixel) < 100;
}

[[nodiscard]] int countPixels(const QImage &image, const QRect &area, bool (*test)(QRgb))
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += test(image.pixel(x, y)) ? 1 : 0;
    }
    return count;
}

[[nodiscard]] bool sameBlock(const QImage &image, QPoint at, const QImage &art)
{
    for (int y = 0; y < art.height(); ++y) {
        for (int x = 0; x < art.width(); ++x) {
            if (image.pixel(at + QPoint(x, y)) != art.pixel(x, y))
                return false;
        }
    }
    return true;
}

} // namespace

class TestGrid : public QObject
{
    Q_OBJECT

private slots:
    void fieldNameAtX_data();
    void fieldNameAtX();
    void pressTarget_data();
    void pressTarget();
    void cellText_data();
    void cellText();

    void init();
    void cleanup();

    void setUpAsTheWindowNeedsIt();
    void ctrlClicksKeepTableOrder();
    void shiftClickSelectsRange_data();
    void shiftClickSelectsRange();
    void plainClickMakesOneRowSelection();
    void keyboardMoveClearsSelection();
    void tableCursorMovesGridWithoutTouchingSelection();
    void selectionApiAsTheCommandsUseIt();
    void selectAllThroughSuspendedTable();
    void verticalScrollBarClearsSelection_data();
    void verticalScrollBarClearsSelection();
    void mouseWheelMovesCurrentRow_data();
    void mouseWheelMovesCurrentRow();

    void pressMapping_data();
    void pressMapping();
    void pressOnTitleRowSendsCurrentRow();
    void pressOnIndicatorMovesRow();
    void rightPressDoesNothing();
    void doubleClickNamesField_data();
    void doubleClickNamesField();
    void doubleClickAfterHorizontalScrollCountsFromPixel12();

    void rowsWithoutCarryPaintRed();
    void highlightedRowsUseScrollBarGrey();
    void sendButtons();
    void indicatorMarksCurrentRow();

private:
    [[nodiscard]] QPoint viewportPoint(int row, int column) const;
    // Sends a click, or the second press of a double-click, at x/y of the
    // grid's client area to whichever part of the grid lies there.
    void pressAtClient(QPoint client, bool secondOfDoubleClick = false, Qt::MouseButton button = Qt::LeftButton);
    void clickRow(int row, Qt::KeyboardModifiers modifiers = {}, int column = 1);
    [[nodiscard]] int clientY(int row) const;
    [[nodiscard]] QImage grabCells() const;
    void setRow(int row, const QString &function, const QString &carry);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CodeTable> m_table;
    std::unique_ptr<CodeGrid> m_grid;
};

void TestGrid::fieldNameAtX_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<QString>("name");
    QTest::newRow("left of grid") << -3 << QString();
    QTest::newRow("indicator") << 0 << QString();
    QTest::newRow("12, first pixel of ID span") << 12 << QString();
    QTest::newRow("13") << 13 << QStringLiteral("ID");
    QTest::newRow("61") << 61 << QStringLiteral("ID");
    QTest::newRow("62, boundary ID/Function") << 62 << QString();
    QTest::newRow("63") << 63 << QStringLiteral("Function");
    QTest::newRow("177") << 177 << QStringLiteral("Function");
    QTest::newRow("178, boundary Function/Format") << 178 << QString();
    QTest::newRow("179") << 179 << QStringLiteral("Format");
    QTest::newRow("IR Data") << 12 + 50 + 116 + 53 + 46 + 10 << QStringLiteral("IR Data");
    QTest::newRow("Remark") << 12 + 50 + 116 + 53 + 46 + 74 + 1 << QStringLiteral("Remark");
    QTest::newRow("end of Remark") << 12 + 1183 << QString();
    QTest::newRow("beyond") << 5000 << QString();
}

void TestGrid::fieldNameAtX()
{
    QFETCH(int, x);
    QFETCH(QString, name);
    QCOMPARE(GridGeometry::columnAtX(x, Widths, Names), name);
}

void TestGrid::pressTarget_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("idWidth");
    QTest::addColumn<PressTarget>("target");
    QTest::newRow("0") << 0 << 50 << PressTarget::None;
    QTest::newRow("12") << 12 << 50 << PressTarget::None;
    QTest::newRow("13") << 13 << 50 << PressTarget::SendStrip;
    QTest::newRow("33") << 33 << 50 << PressTarget::SendStrip;
    QTest::newRow("34") << 34 << 50 << PressTarget::IdCell;
    QTest::newRow("62") << 62 << 50 << PressTarget::IdCell;
    QTest::newRow("63") << 63 << 50 << PressTarget::None;
    QTest::newRow("72, ID 60 wide") << 72 << 60 << PressTarget::IdCell;
    QTest::newRow("73, ID 60 wide") << 73 << 60 << PressTarget::None;
    QTest::newRow("30, ID 15 wide") << 30 << 15 << PressTarget::SendStrip;
}

void TestGrid::pressTarget()
{
    QFETCH(int, x);
    QFETCH(int, idWidth);
    QFETCH(PressTarget, target);
    QCOMPARE(GridGeometry::pressTargetAtX(x, idWidth), target);
}

void TestGrid::cellText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("whole");
    QTest::newRow("fits") << QStringLiteral("Power") << 100 << true;
    QTest::newRow("empty") << QString() << 100 << true;
    QTest::newRow("remark of 120 characters") << QString(120, QLatin1Char('W')) << 100 << false;
    QTest::newRow("text of 10 million characters") << QString(10'000'000, QLatin1Char('i')) << 844 << false;
    QTest::newRow("no room") << QStringLiteral("Power") << 0 << false;
}

// What a cell paints: never wider than the cell, and only as much of a huge
// text as can show.
void TestGrid::cellText()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(bool, whole);
    const QFontMetrics metrics(m_grid->font());
    const QString shown = GridGeometry::cellText(text, metrics, width);
    QCOMPARE(shown == text, whole);
    QVERIFY(metrics.horizontalAdvance(shown) <= width);
    QVERIFY(shown.size() <= width + 1);
    if (!whole && !shown.isEmpty())
        QVERIFY(text.startsWith(shown.chopped(1)) && shown.endsWith(QChar(0x2026)));
}

void TestGrid::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    const QString path = m_dir->filePath(QStringLiteral("grid.zoq"));
    DocumentStore::writeTemplate(path);
    m_table = std::make_unique<CodeTable>();
    m_table->open(path);
    m_grid = std::make_unique<CodeGrid>();
    m_grid->setTable(m_table.get());
    m_grid->setIdColumnWidth();
    m_grid->resize(545, 409);
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
}

void TestGrid::cleanup()
{
    m_grid.reset();
    m_table.reset();
    m_dir.reset();
}

QPoint TestGrid::viewportPoint(int row, int column) const
{
    return m_grid->visualRect(m_table->index(row - 1, column)).center();
}

int TestGrid::clientY(int row) const
{
    const QPoint inViewport = viewportPoint(row, 0);
    return m_grid->viewport()->mapTo(m_grid.get(), inViewport).y() - m_grid->contentsRect().top();
}

void TestGrid::pressAtClient(QPoint client, bool secondOfDoubleClick, Qt::MouseButton button)
{
    const QPoint inGrid = client + m_grid->contentsRect().topLeft();
    QWidget *target = m_grid->childAt(inGrid);
    QVERIFY(target != nullptr);
    const QPoint local = target->mapFrom(m_grid.get(), inGrid);
    if (secondOfDoubleClick)
        QTest::mouseDClick(target, button, {}, local);
    else
        QTest::mouseClick(target, button, {}, local);
}

void TestGrid::clickRow(int row, Qt::KeyboardModifiers modifiers, int column)
{
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, modifiers, viewportPoint(row, column));
}

QImage TestGrid::grabCells() const
{
    return m_grid->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void TestGrid::setRow(int row, const QString &function, const QString &carry)
{
    m_table->setRecNo(row);
    m_table->edit();
    m_table->setField(QStringLiteral("Function"), function);
    m_table->setField(QStringLiteral("Carry"), carry);
    m_table->post();
}

void TestGrid::setUpAsTheWindowNeedsIt()
{
    QCOMPARE(m_grid->objectName(), QStringLiteral("grid"));
    QCOMPARE(m_grid->model()->rowCount(), 512);
    QCOMPARE(m_grid->columnWidth(0), 50);
    QCOMPARE(m_grid->verticalHeader()->width(), 12);
    QCOMPARE(m_grid->viewport()->mapTo(m_grid.get(), QPoint(0, 0)).x() - m_grid->contentsRect().left(), 12);
    QVERIFY(m_grid->columnWidth(1) > m_grid->columnWidth(2));
    QVERIFY(m_grid->columnWidth(5) > 10 * m_grid->columnWidth(3));
    QCOMPARE(m_grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(!m_grid->horizontalHeader()->sectionsMovable());
    QCOMPARE(m_grid->horizontalHeader()->sectionResizeMode(1), QHeaderView::Fixed);
    QVERIFY(m_grid->tabKeyNavigation());
    QCOMPARE(m_grid->currentRowNumber(), 1);
    QCOMPARE(m_grid->currentIndex().row(), 0);

    // Tab moves between columns on the same row.
    QTest::keyClick(m_grid.get(), Qt::Key_Tab);
    QCOMPARE(m_grid->currentIndex().column(), 1);
    QTest::keyClick(m_grid.get(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(m_grid->currentIndex().column(), 0);
    QCOMPARE(m_grid->currentRowNumber(), 1);
}

void TestGrid::ctrlClicksKeepTableOrder()
{
    for (int row : {3, 10, 5})
        clickRow(row, Qt::ControlModifier);
    QCOMPARE(m_grid->selectedRows(), (QList<int>{3, 5, 10}));
    QCOMPARE(m_grid->selectedCount(), 3);
    QCOMPARE(m_grid->currentRowNumber(), 5);
    QCOMPARE(m_table->recNo(), 5);

    clickRow(10, Qt::ControlModifier);
    QCOMPARE(m_grid->selectedRows(), (QList<int>{3, 5}));
    QCOMPARE(m_table->recNo(), 10);
}

void TestGrid::shiftClickSelectsRange_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("down") << 4 << 8 << QList<int>{4, 5, 6, 7, 8};
    QTest::newRow("up") << 8 << 6 << QList<int>{6, 7, 8};
    QTest::newRow("same row") << 7 << 7 << QList<int>{7};
}

void TestGrid::shiftClickSelectsRange()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QList<int>, expected);
    clickRow(from);
    clickRow(to, Qt::ShiftModifier);
    QCOMPARE(m_grid->selectedRows(), expected);
    QCOMPARE(m_grid->currentRowNumber(), to);
}

void TestGrid::plainClickMakesOneRowSelection()
{
    clickRow(3, Qt::ControlModifier);
    clickRow(6, Qt::ControlModifier);
    clickRow(9);
    QCOMPARE(m_grid->selectedRows(), QList<int>{9});
    QCOMPARE(m_table->recNo(), 9);
}

void TestGrid::keyboardMoveClearsSelection()
{
    // The window's rule: a move of the current row while the left button is up clears the selection.
    m_table->setAfterRowChange([this] {
        if (!QGuiApplication::mouseButtons().testFlag(Qt::LeftButton))
            m_grid->clearSelection();
    });
    for (int row : {3, 10, 5})
        clickRow(row, Qt::ControlModifier);
    QCOMPARE(m_grid->selectedRows(), (QList<int>{3, 5, 10}));

    QTest::keyClick(m_grid.get(), Qt::Key_Down);
    QCOMPARE(m_grid->selectedCount(), 0);
    QCOMPARE(m_table->recNo(), 6);
}

void TestGrid::tableCursorMovesGridWithoutTouchingSelection()
{
    clickRow(2, Qt::ControlModifier);
    clickRow(4, Qt::ControlModifier);
    m_table->setRecNo(300);
    QCOMPARE(m_grid->currentIndex().row(), 299);
    QCOMPARE(m_grid->selectedRows(), (QList<int>{2, 4}));
    QVERIFY(m_grid->rowViewportPosition(299) >= 0);
    QCOMPARE(m_grid->selectedRows(), (QList<int>{2, 4}));
}

void TestGrid::selectionApiAsTheCommandsUseIt()
{
    m_table->setRecNo(7);
    QCOMPARE(m_grid->selectedCount(), 0);
    m_grid->addCurrentRowToSelection();
    m_grid->addRowToSelection(2);
    m_grid->addRowToSelection(2);
    m_grid->addRowToSelection(0);
    m_grid->addRowToSelection(513);
    QCOMPARE(m_grid->selectedRows(), (QList<int>{2, 7}));
    QVERIFY(m_grid->isRowSelected(7));
    QVERIFY(!m_grid->isRowSelected(513));

    m_grid->selectAllRows();
    QCOMPARE(m_grid->selectedCount(), 512);
    QCOMPARE(m_grid->selectedRows().last(), 512);
    m_grid->clearSelection();
    QCOMPARE(m_grid->selectedCount(), 0);
    QVERIFY(m_grid->selectedRows().isEmpty());
}

void TestGrid::selectAllThroughSuspendedTable()
{
    m_table->suspendViews();
    m_table->first();
    for (int i = 0; i < m_table->recordCount(); ++i) {
        m_grid->addCurrentRowToSelection();
        m_table->next();
    }
    m_table->resumeViews();
    QCOMPARE(m_grid->selectedCount(), 512);
    QCOMPARE(m_grid->currentRowNumber(), 512);
    QCOMPARE(m_grid->currentIndex().row(), 511);
}

void TestGrid::verticalScrollBarClearsSelection_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<bool>("fromBottom");
    QTest::addColumn<bool>("clears");
    QTest::newRow("line down") << int(QAbstractSlider::SliderSingleStepAdd) << false << true;
    QTest::newRow("page down") << int(QAbstractSlider::SliderPageStepAdd) << false << true;
    QTest::newRow("line up at the top") << int(QAbstractSlider::SliderSingleStepSub) << false << false;
    QTest::newRow("line up") << int(QAbstractSlider::SliderSingleStepSub) << true << true;
    QTest::newRow("to the bottom") << int(QAbstractSlider::SliderToMaximum) << false << true;
}

void TestGrid::verticalScrollBarClearsSelection()
{
    QFETCH(int, action);
    QFETCH(bool, fromBottom);
    QFETCH(bool, clears);
    QScrollBar *bar = m_grid->verticalScrollBar();
    if (fromBottom)
        bar->setValue(bar->maximum());
    m_grid->addRowToSelection(3);
    m_grid->addRowToSelection(4);
    bar->triggerAction(QAbstractSlider::SliderAction(action));
    QCOMPARE(m_grid->selectedCount(), clears ? 0 : 2);
}

void TestGrid::mouseWheelMovesCurrentRow_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QList<int>>("turns"); // one wheel event each, 120 = one notch away from the user
    QTest::addColumn<int>("to");
    QTest::newRow("one notch down") << 5 << QList<int>{-120} << 6;
    QTest::newRow("one notch up") << 5 << QList<int>{120} << 4;
    QTest::newRow("three notches in one event") << 5 << QList<int>{-360} << 8;
    QTest::newRow("two half notches") << 5 << QList<int>{-60, -60} << 6;
    QTest::newRow("one half notch") << 5 << QList<int>{-60} << 5;
    QTest::newRow("down at the last row") << 512 << QList<int>{-120} << 512;
    QTest::newRow("up at the first row") << 1 << QList<int>{120} << 1;
    QTest::newRow("beyond the last row") << 510 << QList<int>{-600} << 512;
}

void TestGrid::mouseWheelMovesCurrentRow()
{
    QFETCH(int, from);
    QFETCH(QList<int>, turns);
    QFETCH(int, to);
    m_table->setRecNo(from);
    m_grid->addRowToSelection(3);
    int scrolls = 0;
    m_table->setAfterRowChange([&scrolls] { ++scrolls; });

    for (const int turn : turns) {
        const QPoint at = m_grid->viewport()->rect().center();
        QWheelEvent wheel(at, m_grid->viewport()->mapToGlobal(at), QPoint(), QPoint(0, turn), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(m_grid->viewport(), &wheel);
    }
    QCOMPARE(m_table->recNo(), to);
    QCOMPARE(m_grid->currentIndex().row(), to - 1);
    QCOMPARE(scrolls, to == from ? 0 : 1);
    QCOMPARE(m_grid->selectedCount(), to == from ? 1 : 0);
    // The view follows the current row.
    const QRect row = m_grid->visualRect(m_grid->currentIndex());
    QVERIFY(m_grid->viewport()->rect().contains(row.center()));
}

void TestGrid::pressMapping_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("sends");
    QTest::addColumn<int>("idPresses");
    QTest::newRow("12") << 12 << 0 << 0;
    QTest::newRow("13") << 13 << 1 << 0;
    QTest::newRow("33") << 33 << 1 << 0;
    QTest::newRow("34") << 34 << 0 << 1;
    QTest::newRow("62") << 62 << 0 << 1;
    QTest::newRow("63") << 63 << 0 << 0;
}

void TestGrid::pressMapping()
{
    QFETCH(int, x);
    QFETCH(int, sends);
    QFETCH(int, idPresses);
    QSignalSpy sent(m_grid.get(), &CodeGrid::sendStripPressed);
    QSignalSpy idCell(m_grid.get(), &CodeGrid::idCellPressed);
    // The window acts on the current row: the press must already have made row 6 current.
    int rowWhenSent = 0;
    connect(m_grid.get(), &CodeGrid::sendStripPressed, this, [&] { rowWhenSent = m_table->recNo(); });

    pressAtClient(QPoint(x, clientY(6)));
    QCOMPARE(sent.size(), sends);
    QCOMPARE(idCell.size(), idPresses);
    if (sends > 0)
        QCOMPARE(rowWhenSent, 6);
    if (x > 12)
        QCOMPARE(m_table->recNo(), 6);
}

void TestGrid::pressOnTitleRowSendsCurrentRow()
{
    m_table->setRecNo(4);
    QSignalSpy sent(m_grid.get(), &CodeGrid::sendStripPressed);
    pressAtClient(QPoint(20, 5));
    QCOMPARE(sent.size(), 1);
    QCOMPARE(m_table->recNo(), 4);

    QSignalSpy idCell(m_grid.get(), &CodeGrid::idCellPressed);
    pressAtClient(QPoint(40, 5));
    QCOMPARE(idCell.size(), 1);
}

void TestGrid::pressOnIndicatorMovesRow()
{
    QSignalSpy sent(m_grid.get(), &CodeGrid::sendStripPressed);
    pressAtClient(QPoint(5, clientY(7)));
    QCOMPARE(m_table->recNo(), 7);
    QCOMPARE(m_grid->selectedRows(), QList<int>{7});
    QCOMPARE(sent.size(), 0);
}

void TestGrid::rightPressDoesNothing()
{
    m_grid->addRowToSelection(2);
    QSignalSpy sent(m_grid.get(), &CodeGrid::sendStripPressed);
    pressAtClient(QPoint(20, clientY(9)), false, Qt::RightButton);
    QCOMPARE(sent.size(), 0);
    QCOMPARE(m_table->recNo(), 1);
    QCOMPARE(m_grid->selectedRows(), QList<int>{2});
}

void TestGrid::doubleClickNamesField_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<QString>("name");
    QTest::newRow("send strip") << 20 << QStringLiteral("ID");
    QTest::newRow("boundary ID/Function") << 62 << QString();
    QTest::newRow("Function") << 70 << QStringLiteral("Function");
    QTest::newRow("indicator") << 5 << QString();
}

void TestGrid::doubleClickNamesField()
{
    QFETCH(int, x);
    QFETCH(QString, name);
    pressAtClient(QPoint(x, clientY(3)));
    QSignalSpy named(m_grid.get(), &CodeGrid::fieldDoubleClicked);
    QSignalSpy sent(m_grid.get(), &CodeGrid::sendStripPressed);
    QSignalSpy idCell(m_grid.get(), &CodeGrid::idCellPressed);
    pressAtClient(QPoint(x, clientY(3)), true);
    QCOMPARE(named.size(), 1);
    QCOMPARE(named.first().first().toString(), name);
    // The second press does nothing else.
    QCOMPARE(sent.size(), 0);
    QCOMPARE(idCell.size(), 0);
    if (x > 12)
        QCOMPARE(m_table->recNo(), 3);
}

void TestGrid::doubleClickAfterHorizontalScrollCountsFromPixel12()
{
    m_grid->horizontalScrollBar()->setValue(m_grid->columnWidth(0) + m_grid->columnWidth(1) + 20);
    QVERIFY(m_grid->columnViewportPosition(1) < 0);
    QSignalSpy named(m_grid.get(), &CodeGrid::fieldDoubleClicked);
    pressAtClient(QPoint(12 + 50 + 5, clientY(3)));
    pressAtClient(QPoint(12 + 50 + 5, clientY(3)), true);
    QCOMPARE(named.size(), 1);
    QCOMPARE(named.first().first().toString(), QStringLiteral("Function"));
}

void TestGrid::rowsWithoutCarryPaintRed()
{
    setRow(2, QStringLiteral("WWWWWWWW"), QStringLiteral("0"));
    setRow(3, QStringLiteral("WWWWWWWW"), QString());
    m_table->setRecNo(4);
    setRow(4, QStringLiteral("WWWWWWWW"), QString());
    const QImage cells = grabCells();

    const QRect learned = m_grid->visualRect(m_table->index(1, 1));
    QCOMPARE(countPixels(cells, learned, isRed), 0);
    QVERIFY(countPixels(cells, learned, isDark) > 10);

    const QRect empty = m_grid->visualRect(m_table->index(2, 1));
    QVERIFY(countPixels(cells, empty, isRed) > 10);
    QCOMPARE(countPixels(cells, empty, isDark), 0);
    // The ID number of an empty row is red too.
    QVERIFY(countPixels(cells, m_grid->visualRect(m_table->index(2, 0)).adjusted(SendButtonArt::Width, 0, 0, 0), isRed) > 0);

    // Still red when the row is highlighted.
    const QRect current = m_grid->visualRect(m_table->index(3, 1));
    QVERIFY(countPixels(cells, current, isRed) > 10);
}

void TestGrid::highlightedRowsUseScrollBarGrey()
{
    m_table->setRecNo(4);
    m_grid->addRowToSelection(6);
    const QImage cells = grabCells();
    const QRgb grey = CodeGridDelegate::HighlightBackground.rgb();
    const QRgb base = m_grid->palette().color(QPalette::Base).rgb();
    for (int column : {1, 2, 3}) {
        const auto blankSpot = [&](int row) {
            const QRect cell = m_grid->visualRect(m_table->index(row - 1, column));
            return cells.pixel(cell.right() - 2, cell.top() + 1);
        };
        QCOMPARE(blankSpot(4), grey);
        QCOMPARE(blankSpot(6), grey);
        QCOMPARE(blankSpot(5), base);
    }
}

void TestGrid::sendButtons()
{
    m_grid->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_grid.get()));
    clickRow(4, {}, 1);
    QVERIFY(m_grid->hasFocus());
    const QImage cells = grabCells();
    const QImage &idle = SendButtonArt::image(SendButtonArt::Look::Idle);
    const QImage &current = SendButtonArt::image(SendButtonArt::Look::Current);
    QVERIFY(idle != current);

    const auto topLeft = [&](int row, int column) { return m_grid->visualRect(m_table->index(row - 1, column)).topLeft(); };
    QVERIFY(sameBlock(cells, topLeft(2, 0), idle));
    QVERIFY(sameBlock(cells, topLeft(4, 0), idle));
    QVERIFY(sameBlock(cells, topLeft(4, 1), current));
    QVERIFY(!sameBlock(cells, topLeft(3, 1), current));

    // Without the focus the current cell carries no button.
    m_grid->clearFocus();
    QVERIFY(!sameBlock(grabCells(), topLeft(4, 1), current));
}

void TestGrid::indicatorMarksCurrentRow()
{
    clickRow(5);
    const QHeaderView *indicator = m_grid->verticalHeader();
    const QImage image = indicator->viewport()->grab().toImage();
    const auto section = [&](int row) {
        return QRect(0, indicator->sectionViewportPosition(row - 1), indicator->width() - 1,
                     indicator->sectionSize(row - 1) - 1);
    };
    QVERIFY(countPixels(image, section(5), isDark) > 4);
    QCOMPARE(countPixels(image, section(4), isDark), 0);
    QCOMPARE(countPixels(image, section(1), isDark), 0);
}

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
