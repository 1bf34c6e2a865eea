#include "WaveTestBlocks.h"

#include "gui/wave/WaveView.h"

#include <QAction>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

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

private:
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
    QCOMPARE(m_view->contextMenu()->actions(), (QList<QAction *>{rolling, autoClear}));
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

QTEST_MAIN(TestWaveView)
#include "tst_waveview.moc"
