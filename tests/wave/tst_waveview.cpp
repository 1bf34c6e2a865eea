#include "WaveTestBlocks.h"

#include "gui/wave/WaveView.h"

#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

namespace {

void turnWheel(QWidget *viewport, QPoint at, int angle, Qt::KeyboardModifiers modifiers)
{
    QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &event);
}

} // namespace

class TestWaveView : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void contextMenuModes();
    void drawSetsScrollRange();
    void showsImageAtScrollPosition();
    void clearWaveBlanksShownPicture();
    void ctrlWheelZoomsAboutPointer_data();
    void ctrlWheelZoomsAboutPointer();
    void wheelScrolls();
    void dragMovesPicture();
    void shiftDragMeasures();
    void hoverTellsSegment_data();
    void hoverTellsSegment();
    void savePictureItemAsksMainWindow();

private:
    // The view drawing fullBlock() at the normal scale, redrawn as the main
    // window does when asked.
    void showFullBlock();

    WaveView *m_view = nullptr;
};

void TestWaveView::init()
{
    m_view = new WaveView;
    m_view->resize(756, 121);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view));
}

void TestWaveView::cleanup()
{
    delete m_view;
    m_view = nullptr;
}

void TestWaveView::contextMenuModes()
{
    QAction *rolling = m_view->rollingItem();
    QAction *autoClear = m_view->autoClearItem();
    const QList<QAction *> items = m_view->contextMenu()->actions();
    QCOMPARE(items.size(), 4);
    QCOMPARE(items.mid(0, 2), (QList<QAction *>{rolling, autoClear}));
    QVERIFY(items[2]->isSeparator());
    QCOMPARE(items[3], m_view->savePictureItem());
    QCOMPARE(m_view->savePictureItem()->text(), QStringLiteral("Save picture..."));
    QCOMPARE(rolling->text(), QStringLiteral("Rolling"));
    QCOMPARE(autoClear->text(), QStringLiteral("Auto Clear"));
    QVERIFY(!rolling->isChecked());
    QVERIFY(autoClear->isChecked());
    QVERIFY(!m_view->traces().isRolling());

    QSignalSpy redraws(m_view, &WaveView::redrawRequested);
    rolling->trigger();
    QVERIFY(rolling->isChecked());
    QVERIFY(!autoClear->isChecked());
    QVERIFY(m_view->traces().isRolling());
    QCOMPARE(redraws.size(), 1);

    // Clicking the ticked item keeps it ticked and still redraws.
    rolling->trigger();
    QVERIFY(rolling->isChecked());
    QCOMPARE(redraws.size(), 2);

    autoClear->trigger();
    QVERIFY(autoClear->isChecked());
    QVERIFY(!rolling->isChecked());
    QVERIFY(!m_view->traces().isRolling());
    QCOMPARE(redraws.size(), 3);
}

void TestWaveView::drawSetsScrollRange()
{
    QCOMPARE(m_view->scrollBoxWidth(), 756);
    m_view->drawWave(true, true, QByteArray());
    QCOMPARE(m_view->traces().traceEnd(0), 766);
    QCOMPARE(m_view->traces().imageWidth(), 766);
    QScrollBar *bar = m_view->horizontalScrollBar();
    QCOMPARE(bar->maximum(), 766 - m_view->viewport()->width());

    m_view->resize(500, 121);
    m_view->drawWave(false, true, QByteArray());
    QCOMPARE(m_view->traces().imageWidth(), 510);
    QCOMPARE(bar->maximum(), 510 - m_view->viewport()->width());

    m_view->traces().normalSize();
    while (m_view->traces().waveScale() != 1)
        m_view->traces().zoomIn();
    const IrBlock longBlock = normalBlock({0, {{2212, 1}}, QList<int>(8, 0), 0, 0});
    m_view->drawWave(false, true, longBlock.toByteArray());
    QCOMPARE(m_view->traces().imageWidth(), WaveRenderer::StripWidth);
    QCOMPARE(bar->maximum(), WaveRenderer::StripWidth - m_view->viewport()->width());

    bar->setValue(5000);
    m_view->scrollToStart();
    QCOMPARE(bar->value(), 0);
}

void TestWaveView::showsImageAtScrollPosition()
{
    m_view->traces().setShowTime(true);
    m_view->drawWave(true, true, normalBlock(shortSignal()).toByteArray());
    const QImage &image = m_view->traces().image();

    for (int offset : {0, 7}) {
        m_view->horizontalScrollBar()->setValue(offset);
        const QImage shown = m_view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const int width = std::min(shown.width(), m_view->traces().imageWidth() - offset);
        QCOMPARE(shown.copy(0, 0, width, 100), image.copy(offset, 0, width, 100));
    }
}

void TestWaveView::clearWaveBlanksShownPicture()
{
    m_view->drawWave(true, true, normalBlock(shortSignal()).toByteArray());
    m_view->clearWave();
    const QImage shown = m_view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(countColor(shown, QRect(0, 0, shown.width(), 100), WaveRenderer::Background),
             shown.width() * 100);
}

void TestWaveView::showFullBlock()
{
    const QByteArray field = fullBlock().toByteArray();
    connect(m_view, &WaveView::redrawRequested, m_view, [this, field] { m_view->drawWave(false, true, field); });
    m_view->drawWave(true, true, field);
    QCOMPARE(m_view->traces().imageWidth(), WaveRenderer::StripWidth);
}

void TestWaveView::ctrlWheelZoomsAboutPointer_data()
{
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QPoint>("pointer");

    QTest::newRow("one notch in") << 120 << 30 << QPoint(300, 20);
    QTest::newRow("two notches out") << -240 << 240 << QPoint(700, 70);
    QTest::newRow("half notch: nothing") << 60 << 60 << QPoint(300, 20);
}

void TestWaveView::ctrlWheelZoomsAboutPointer()
{
    QFETCH(int, angle);
    QFETCH(int, scale);
    QFETCH(QPoint, pointer);
    showFullBlock();
    QScrollBar *bar = m_view->horizontalScrollBar();
    bar->setValue(3000);
    const WaveSegment *before = m_view->traces().geometry(0).segmentAt(3000 + pointer.x());
    QVERIFY(before);
    const qsizetype index = before - m_view->traces().geometry(0).segments().data();

    turnWheel(m_view->viewport(), pointer, angle, Qt::ControlModifier);
    QCOMPARE(m_view->traces().waveScale(), scale);
    // The gap or burst under the pointer is still there, within a pixel.
    const WaveGeometry &after = m_view->traces().geometry(0);
    const WaveSegment &same = after.segments()[index];
    const int x = bar->value() + pointer.x();
    QVERIFY2(x >= same.x - 1 && x <= same.right(), qPrintable(QStringLiteral("%1 not in %2..%3").arg(x).arg(same.x).arg(same.right())));
}

void TestWaveView::wheelScrolls()
{
    showFullBlock();
    QScrollBar *bar = m_view->horizontalScrollBar();
    turnWheel(m_view->viewport(), QPoint(300, 20), -120, Qt::NoModifier);
    QCOMPARE(bar->value(), bar->singleStep() * QApplication::wheelScrollLines());
    turnWheel(m_view->viewport(), QPoint(300, 20), 120, Qt::NoModifier);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(m_view->traces().waveScale(), 60);
}

void TestWaveView::dragMovesPicture()
{
    showFullBlock();
    QWidget *viewport = m_view->viewport();
    m_view->horizontalScrollBar()->setValue(500);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(400, 20));
    QTest::mouseMove(viewport, QPoint(300, 25));
    QCOMPARE(m_view->horizontalScrollBar()->value(), 600);
    QTest::mouseMove(viewport, QPoint(450, 25));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(450, 25));
    QCOMPARE(m_view->horizontalScrollBar()->value(), 450);
    QVERIFY(m_view->measureText().isEmpty());
}

void TestWaveView::shiftDragMeasures()
{
    showFullBlock();
    QWidget *viewport = m_view->viewport();
    m_view->horizontalScrollBar()->setValue(200);
    const QImage unmarked = viewport->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 70));
    QTest::mouseMove(viewport, QPoint(300, 70));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::ShiftModifier, QPoint(300, 70));
    QCOMPARE(m_view->horizontalScrollBar()->value(), 200);
    // The fullBlock() shows in the upper band only; the lower band is empty,
    // so the measurement reads the upper band's times.
    QCOMPARE(m_view->measureText(), m_view->traces().geometry(0).measureText(300, 500));
    QVERIFY(m_view->measureText().contains(QStringLiteral("bursts")));
    const QImage marked = viewport->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(marked.copy(100, 0, 201, 100) != unmarked.copy(100, 0, 201, 100));
    QCOMPARE(marked.copy(0, 0, 99, 100), unmarked.copy(0, 0, 99, 100));

    // A click without Shift, or a redraw, takes the measurement away.
    m_view->drawWave(false, true, fullBlock().toByteArray());
    QVERIFY(m_view->measureText().isEmpty());
}

void TestWaveView::hoverTellsSegment_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<bool>("shown");

    QTest::newRow("upper band") << QPoint(10, 20) << true;
    QTest::newRow("upper band, further") << QPoint(500, 40) << true;
    QTest::newRow("lower band: no signal") << QPoint(10, 70) << false;
    QTest::newRow("below the picture") << QPoint(10, 105) << false;
}

void TestWaveView::hoverTellsSegment()
{
    QFETCH(QPoint, at);
    QFETCH(bool, shown);
    showFullBlock();
    m_view->horizontalScrollBar()->setValue(1000);
    QHelpEvent help(QEvent::ToolTip, at, m_view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(m_view->viewport(), &help);
    const WaveSegment *segment = m_view->traces().geometry(0).segmentAt(1000 + at.x());
    QVERIFY(segment);
    QCOMPARE(QToolTip::text(), shown ? WaveGeometry::segmentText(*segment) : QString());
    QToolTip::hideText();
}

void TestWaveView::savePictureItemAsksMainWindow()
{
    QSignalSpy asked(m_view, &WaveView::savePictureRequested);
    m_view->savePictureItem()->trigger();
    QCOMPARE(asked.size(), 1);
}

QTEST_MAIN(TestWaveView)
#include "tst_waveview.moc"
