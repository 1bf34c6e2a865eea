#include "WaveTestBlocks.h"

#include "core/signal/WaveGeometry.h"
#include "core/signal/WaveRasterCanvas.h"
#include "core/signal/WaveRenderer.h"
#include "core/signal/WaveTraces.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

constexpr int W = WaveRenderer::StripWidth;
constexpr int ScrollWidth = 756;
// Rows of a band above the time axis, where the signal and its labels go.
const QRect TraceRows(0, 0, W, WaveRenderer::TickTopY);
// Rows above the low level: blue here comes from the repeated part, not from
// the blue line that continues the low level to the right edge.
const QRect EdgeRows(0, 0, W, WaveRenderer::LowY);

QImage band(const WaveTraces &traces, int t)
{
    return traces.image().copy(0, WaveTraces::BandHeight * t, traces.imageWidth(), WaveTraces::BandHeight);
}

// One trace drawn on its own, as wide as its right end unless a width is
// given; its right end.
struct Drawn
{
    int end = 0;
    QImage strip;
};

Drawn draw(WaveRenderer &renderer, const IrBlock &block, int scale, QRgb pen, bool showTime, int width = 0)
{
    const WaveGeometry geometry(block, scale);
    Drawn drawn;
    drawn.end = renderer.traceEnd(geometry, ScrollWidth, QString());
    drawn.strip = WaveGlyphs::screenImage(width > 0 ? width : drawn.end, WaveRenderer::StripHeight);
    WaveRasterCanvas canvas(drawn.strip, 0, renderer.glyphs());
    renderer.paint(canvas, geometry, pen, showTime, QString());
    return drawn;
}

QImage rendered(const IrBlock &block, QRgb pen, int scale = WaveTraces::NormalScale)
{
    WaveRenderer renderer(QLocale::c());
    return draw(renderer, block, scale, pen, false).strip;
}

void setScale(WaveTraces &traces, int scale)
{
    traces.normalSize();
    if (scale == 1)
        while (traces.waveScale() != 1)
            traces.zoomIn();
}

} // namespace

class TestWave : public QObject
{
    Q_OBJECT

private slots:
    void durations_data();
    void durations();
    void segmentGeometry_data();
    void segmentGeometry();
    void timeLabelFits_data();
    void timeLabelFits();
    void segmentLabels_data();
    void segmentLabels();
    void axisLabel_data();
    void axisLabel();
    void axisIsDrawnAndFollowsLocaleAndScale();
    void noIrData();
    void traceEnd_data();
    void traceEnd();
    void passesStopAtBlockEnd();
    void randomBlocksStayInside();

    void initialState();
    void bands_data();
    void bands();
    void switchToAutoClearEmptiesLowerBand();
    void clearThenRollShowsNoData();
    void shortFieldIsEmpty();
    void emptyTableDrawsNothing();
    void imageWidthIsLargerEnd();
    void zoom_data();
    void zoom();
};

void TestWave::durations_data()
{
    QTest::addColumn<int>("gap");
    QTest::addColumn<int>("burst");
    QTest::addColumn<int>("carrier");
    QTest::addColumn<qint64>("gapMicros");
    QTest::addColumn<qint64>("burstMicros");

    QTest::newRow("carrier 48") << 100 << 21 << 48 << qint64(433) << qint64(546);
    QTest::newRow("no carrier") << 100 << 21 << 0 << qint64(433) << qint64(8);
    QTest::newRow("no carrier, any entry") << 0 << 65535 << 0 << qint64(0) << qint64(8);
    QTest::newRow("largest entry") << 65535 << 65535 << 255 << qint64(284419) << qint64(9065872);
}

void TestWave::durations()
{
    QFETCH(int, gap);
    QFETCH(int, burst);
    QFETCH(int, carrier);
    QFETCH(qint64, gapMicros);
    QFETCH(qint64, burstMicros);
    QCOMPARE(WaveRenderer::gapMicros(quint16(gap)), gapMicros);
    QCOMPARE(WaveRenderer::burstMicros(quint16(burst), uchar(carrier)), burstMicros);
}

void TestWave::segmentGeometry_data()
{
    QTest::addColumn<int>("carrier");
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("gapWidth");
    QTest::addColumn<int>("burstWidth");

    QTest::newRow("scale 60") << 48 << 60 << 7 << 9;
    QTest::newRow("scale 5") << 48 << 5 << 87 << 109;
    QTest::newRow("no carrier: 8 us bursts") << 0 << 1 << 433 << 8;
}

void TestWave::segmentGeometry()
{
    QFETCH(int, carrier);
    QFETCH(int, scale);
    QFETCH(int, gapWidth);
    QFETCH(int, burstWidth);
    const QImage strip = rendered(normalBlock(singleSymbol(uchar(carrier))), WaveRenderer::Red, scale);
    const int g = gapWidth;
    const int fall = gapWidth + burstWidth;

    QCOMPARE(countColor(strip, QRect(0, 30, g, 1), WaveRenderer::Red), g);
    QCOMPARE(countColor(strip, QRect(g, 5, 1, 26), WaveRenderer::Red), 26);
    QCOMPARE(countColor(strip, QRect(g, 5, burstWidth, 1), WaveRenderer::Red), burstWidth);
    QCOMPARE(countColor(strip, QRect(fall, 5, 1, 25), WaveRenderer::Red), 25);
    // After the signal a red pen turns blue, also without a repeated part.
    QCOMPARE(countColor(strip, QRect(fall, 30, strip.width() - fall, 1), WaveRenderer::Blue), strip.width() - fall);
    // Nothing else: each edge is one column and the burst has no low line.
    QCOMPARE(countColor(strip, QRect(g - 1, 5, 1, 25), WaveRenderer::Background), 25);
    QCOMPARE(countColor(strip, QRect(g + 1, 30, burstWidth - 1, 1), WaveRenderer::Background),
             burstWidth - 1);
    QCOMPARE(countColor(strip, QRect(0, 5, g, 1), WaveRenderer::Background), g);
    QCOMPARE(countColor(strip, TraceRows, WaveRenderer::Red), g + 26 + burstWidth + 25 - 1);
}

void TestWave::timeLabelFits_data()
{
    QTest::addColumn<qint64>("micros");
    QTest::addColumn<qint64>("pixels");
    QTest::addColumn<bool>("showTime");
    QTest::addColumn<bool>("fits");

    QTest::newRow("show time off") << qint64(5000) << qint64(500) << false << false;
    QTest::newRow("1000 us in 20") << qint64(1000) << qint64(20) << true << true;
    QTest::newRow("1000 us in 19") << qint64(1000) << qint64(19) << true << false;
    QTest::newRow("999 us in 15") << qint64(999) << qint64(15) << true << true;
    QTest::newRow("100 us in 14") << qint64(100) << qint64(14) << true << false;
    QTest::newRow("99 us in 10") << qint64(99) << qint64(10) << true << true;
    QTest::newRow("10 us in 9") << qint64(10) << qint64(9) << true << false;
    QTest::newRow("9 us in 5") << qint64(9) << qint64(5) << true << true;
    QTest::newRow("0 us in 4") << qint64(0) << qint64(4) << true << false;
    QTest::newRow("433 us in 7") << qint64(433) << qint64(7) << true << false;
}

void TestWave::timeLabelFits()
{
    QFETCH(qint64, micros);
    QFETCH(qint64, pixels);
    QFETCH(bool, showTime);
    QFETCH(bool, fits);
    QCOMPARE(WaveRenderer::timeLabelFits(micros, pixels, showTime), fits);
}

void TestWave::segmentLabels_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("showTime");
    QTest::addColumn<bool>("labelled");

    QTest::newRow("scale 5, show time") << 5 << true << true;
    QTest::newRow("scale 5, no show time") << 5 << false << false;
    QTest::newRow("scale 60, show time: too narrow") << 60 << true << false;
}

void TestWave::segmentLabels()
{
    QFETCH(int, scale);
    QFETCH(bool, showTime);
    QFETCH(bool, labelled);
    WaveRenderer renderer(QLocale::c());
    const QImage strip = draw(renderer, normalBlock(singleSymbol()), scale, WaveRenderer::Red, showTime).strip;

    if (!labelled) {
        QCOMPARE(countText(strip, TraceRows), 0);
        QCOMPARE(strip, rendered(normalBlock(singleSymbol()), WaveRenderer::Red, scale));
        return;
    }
    // "433" from one pixel right of the gap's start, "546" from one pixel
    // right of the burst's start (x = 87), and nothing left of either.
    QVERIFY(countText(strip, QRect(1, 15, 30, 14)) > 0);
    QCOMPARE(countText(strip, QRect(0, 0, 1, 32)), 0);
    QVERIFY(countText(strip, QRect(88, 8, 30, 14)) > 0);
    QCOMPARE(countText(strip, QRect(87, 0, 1, 32)), 0);
    QCOMPARE(countText(strip, QRect(40, 0, 40, 32)), 0);
    // Labels go before the lines: the rising edge stays whole.
    QCOMPARE(countColor(strip, QRect(87, 5, 1, 26), WaveRenderer::Red), 26);
}

void TestWave::axisLabel_data()
{
    QTest::addColumn<int>("p");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");

    const QLocale c = QLocale::c();
    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("60: 50") << 50 << 60 << c << "3ms";
    QTest::newRow("60: 100") << 100 << 60 << c << "6ms";
    QTest::newRow("60: 150") << 150 << 60 << c << "9ms";
    QTest::newRow("5: 50") << 50 << 5 << c << "0.25ms";
    QTest::newRow("5: 100") << 100 << 5 << c << "0.5ms";
    QTest::newRow("5: 150") << 150 << 5 << c << "0.75ms";
    QTest::newRow("5: 200") << 200 << 5 << c << "1ms";
    QTest::newRow("3: 50") << 50 << 3 << c << "0.15ms";
    QTest::newRow("1: 20450") << 20450 << 1 << c << "20.45ms";
    QTest::newRow("960: 20450, no group separator") << 20450 << 960 << german << "19632ms";
    QTest::newRow("comma locale") << 50 << 5 << german << "0,25ms";
}

void TestWave::axisLabel()
{
    QFETCH(int, p);
    QFETCH(int, scale);
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QCOMPARE(WaveRenderer::axisLabel(p, scale, locale), text);
}

void TestWave::axisIsDrawnAndFollowsLocaleAndScale()
{
    // Drawn over the whole strip's width, the axis and its labels run to the end.
    const IrBlock block = normalBlock(singleSymbol());
    WaveRenderer renderer(QLocale::c());
    const QImage at60 = draw(renderer, block, 60, WaveRenderer::Red, false, W).strip;

    QCOMPARE(countColor(at60, QRect(0, 34, W, 2), WaveRenderer::Yellow), 2 * W);
    QCOMPARE(countColor(at60, QRect(49, 32, 2, 4), WaveRenderer::Yellow), 8);
    QCOMPARE(countColor(at60, QRect(51, 32, 1, 2), WaveRenderer::Background), 2);
    QVERIFY(countText(at60, QRect(45, 37, 20, 13)) > 0);
    QVERIFY(countText(at60, QRect(20445, 37, 35, 13)) > 0);

    // Another scale draws other labels; coming back gives the same picture.
    const QImage at5 = draw(renderer, block, 5, WaveRenderer::Red, false, W).strip;
    QVERIFY(at5.copy(0, 32, W, 18) != at60.copy(0, 32, W, 18));
    QCOMPARE(draw(renderer, block, 60, WaveRenderer::Red, false, W).strip, at60);

    // Only the decimal mark differs between the locales.
    WaveRenderer comma(QLocale(QLocale::German, QLocale::Germany));
    const QImage commaAt5 = draw(comma, block, 5, WaveRenderer::Red, false, W).strip;
    QVERIFY(commaAt5 != at5);
    QCOMPARE(commaAt5.copy(TraceRows), at5.copy(TraceRows));
    QCOMPARE(commaAt5.copy(190, 32, 50, 18), at5.copy(190, 32, 50, 18)); // "1ms"
}

void TestWave::noIrData()
{
    for (const IrBlock &block : {IrBlock(), IrBlock::filled(0xFF)}) {
        WaveRenderer renderer(QLocale::c());
        const Drawn drawn = draw(renderer, block, 60, WaveRenderer::Red, true);
        QCOMPARE(drawn.end, ScrollWidth + 10);
        const QImage &strip = drawn.strip;
        QVERIFY(countText(strip, QRect(8, 8, 80, 14)) > 0);
        QCOMPARE(countText(strip, strip.rect()), countText(strip, QRect(8, 8, 80, 14)));
        QCOMPARE(countColor(strip, strip.rect(), WaveRenderer::Red), 0);
        QCOMPARE(countColor(strip, strip.rect(), WaveRenderer::Yellow), 0);
    }
}

void TestWave::traceEnd_data()
{
    QTest::addColumn<IrBlock>("block");
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("traceEnd");

    QTest::newRow("short signal") << normalBlock(shortSignal()) << 60 << ScrollWidth + 10;
    QTest::newRow("no symbols") << normalBlock({48, {}, {}, 0, 0}) << 60 << ScrollWidth + 10;
    // 9600 us gap and 8 us burst at 1 us per pixel: content ends at 9608.
    QTest::newRow("x + 50") << normalBlock({0, {{2212, 1}}, {0}, 0, 0}) << 1 << 9658;
    QTest::newRow("cut at the strip's end")
        << normalBlock({0, {{2212, 1}}, QList<int>(512, 0), 0, 0}) << 1 << W;
    QTest::newRow("largest entries") << normalBlock({255, {{65535, 65535}}, {0, 0}, 0, 2}) << 1 << W;
}

void TestWave::traceEnd()
{
    QFETCH(IrBlock, block);
    QFETCH(int, scale);
    QFETCH(int, traceEnd);
    WaveRenderer renderer(QLocale::c());
    const Drawn drawn = draw(renderer, block, scale, WaveRenderer::Red, true);
    QCOMPARE(drawn.end, traceEnd);
    if (traceEnd == W)
        QVERIFY(countColor(drawn.strip, QRect(W - 1, 0, 1, 31), WaveRenderer::Red)
                    + countColor(drawn.strip, QRect(W - 1, 0, 1, 31), WaveRenderer::Blue) > 0);
}

void TestWave::passesStopAtBlockEnd()
{
    // Counts and repeat bounds past the block draw up to symbol 511 only:
    // the same picture as counts clamped to 512.
    TestCapture capture{0, {{10, 1}}, QList<int>(512, 0), 500, 512};
    IrBlock clamped = normalBlock(capture);
    IrBlock beyond = clamped;
    putWord(beyond, 8, 0xFFFF);
    putWord(beyond, 6, 0xFFFF);
    WaveRenderer renderer(QLocale::c());
    const Drawn expected = draw(renderer, clamped, 60, WaveRenderer::Red, false);
    const Drawn drawn = draw(renderer, beyond, 60, WaveRenderer::Red, false);
    QCOMPARE(drawn.end, expected.end);
    QCOMPARE(drawn.strip, expected.strip);
    QVERIFY(countColor(expected.strip, EdgeRows, WaveRenderer::Blue) > 0);
}

void TestWave::randomBlocksStayInside()
{
    QRandomGenerator random(20091015);
    WaveRenderer renderer(QLocale::c());
    WaveTraces traces(QLocale::c());
    traces.setScrollBoxWidth(ScrollWidth);
    traces.setShowTime(true);
    const int scales[] = {1, 3, 5, 7, 15, 60, 640, 960};
    for (int n = 0; n < 300; ++n) {
        QByteArray bytes(IrBlock::Size + int(random.bounded(3)) - 1, '\0');
        random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        bytes[0] = 'r';
        if (n % 3 == 0)
            bytes[128] = 'r';
        const int scale = scales[random.bounded(int(std::size(scales)))];
        const int end = draw(renderer, IrBlock::fromField(bytes), scale,
                             n % 2 ? WaveRenderer::Red : WaveRenderer::Grey, true).end;
        QVERIFY(end == ScrollWidth + 10 || (end >= ScrollWidth && end <= W));

        traces.setRolling(n % 2 == 0);
        traces.drawWave(n % 4 == 0, true, bytes);
        QVERIFY(traces.imageWidth() <= W);
    }
}

void TestWave::initialState()
{
    const WaveTraces traces(QLocale::c());
    QCOMPARE(traces.waveScale(), 60);
    QVERIFY(!traces.isRolling());
    QVERIFY(!traces.showTime());
    for (int t = 0; t < 2; ++t) {
        QCOMPARE(traces.traceBlock(t), IrBlock());
        QCOMPARE(traces.traceEnd(t), 0);
    }
    // Nothing is drawn yet, so no picture is held.
    QVERIFY(traces.image().isNull());
    QCOMPARE(traces.imageWidth(), 0);
}

void TestWave::bands_data()
{
    QTest::addColumn<bool>("rolling");
    QTest::addColumn<IrBlock>("shownBefore");
    QTest::addColumn<IrBlock>("current");
    QTest::addColumn<IrBlock>("lower");
    QTest::addColumn<QRgb>("lowerPen");

    const IrBlock a = normalBlock(shortSignal(200));
    const IrBlock b = normalBlock(shortSignal(300));
    const TestCapture first = shortSignal(250);
    const TestCapture second{36, {{150, 30}, {500, 10}}, {1, 0, 1, 1, 0}, 1, 5};
    const IrBlock rc5 = rc5Block(first, second);
    const IrBlock secondCapture = normalBlock(second);
    const IrBlock empty = IrBlock::filled(0xFF);

    QTest::newRow("auto clear, normal") << false << a << b << empty << WaveRenderer::Grey;
    QTest::newRow("rolling, normal") << true << a << b << a << WaveRenderer::Grey;
    QTest::newRow("auto clear, rc5") << false << a << rc5 << secondCapture << WaveRenderer::Red;
    QTest::newRow("rolling, rc5") << true << a << rc5 << secondCapture << WaveRenderer::Red;
}

void TestWave::bands()
{
    QFETCH(bool, rolling);
    QFETCH(IrBlock, shownBefore);
    QFETCH(IrBlock, current);
    QFETCH(IrBlock, lower);
    QFETCH(QRgb, lowerPen);

    WaveTraces traces(QLocale::c());
    traces.setScrollBoxWidth(ScrollWidth);
    traces.setRolling(rolling);
    traces.drawWave(true, true, shownBefore.toByteArray());
    traces.drawWave(true, true, current.toByteArray());

    QCOMPARE(traces.traceColor(0), WaveRenderer::Red);
    QCOMPARE(traces.traceColor(1), lowerPen);
    const QImage upper = band(traces, 0);
    QCOMPARE(upper, rendered(current, WaveRenderer::Red));
    QVERIFY(countColor(upper, TraceRows, WaveRenderer::Red) > 0);
    QVERIFY(countColor(upper, EdgeRows, WaveRenderer::Blue) > 0);

    const QImage lowerBand = band(traces, 1);
    QCOMPARE(lowerBand, rendered(lower, lowerPen));
    if (lowerPen == WaveRenderer::Grey) {
        // A grey trace keeps its colour for the repeated part.
        QCOMPARE(countColor(lowerBand, TraceRows, WaveRenderer::Red), 0);
        QCOMPARE(countColor(lowerBand, EdgeRows, WaveRenderer::Blue), 0);
    } else {
        QVERIFY(countColor(lowerBand, EdgeRows, WaveRenderer::Blue) > 0);
    }
    QCOMPARE(countText(lowerBand, QRect(8, 8, 80, 14)) > 0, !lower.isValid());
}

void TestWave::switchToAutoClearEmptiesLowerBand()
{
    WaveTraces traces(QLocale::c());
    traces.setScrollBoxWidth(ScrollWidth);
    traces.setRolling(true);
    const IrBlock a = normalBlock(shortSignal(200));
    const IrBlock b = normalBlock(shortSignal(300));
    traces.drawWave(true, true, a.toByteArray());
    traces.drawWave(true, true, b.toByteArray());
    QCOMPARE(band(traces, 1), rendered(a, WaveRenderer::Grey));

    traces.setRolling(false);
    traces.drawWave(false, true, b.toByteArray());
    QCOMPARE(band(traces, 1), rendered(IrBlock::filled(0xFF), WaveRenderer::Grey));

    // Back in Rolling the lower band stays empty until the row changes.
    traces.setRolling(true);
    traces.drawWave(false, true, b.toByteArray());
    QCOMPARE(band(traces, 1), rendered(IrBlock::filled(0xFF), WaveRenderer::Grey));
    traces.drawWave(true, true, a.toByteArray());
    QCOMPARE(band(traces, 1), rendered(b, WaveRenderer::Grey));
}

void TestWave::clearThenRollShowsNoData()
{
    WaveTraces traces(QLocale::c());
    traces.setScrollBoxWidth(ScrollWidth);
    traces.setRolling(true);
    traces.drawWave(true, true, normalBlock(shortSignal()).toByteArray());
    const int width = traces.imageWidth();

    traces.clearWave();
    QCOMPARE(traces.imageWidth(), width);
    QCOMPARE(countColor(traces.image(), QRect(0, 0, width, 100), WaveRenderer::Background), width * 100);
    for (int t = 0; t < 2; ++t) {
        QCOMPARE(traces.traceBlock(t).at(0), uchar(0xFF));
        QCOMPARE(traces.traceBlock(t).at(128), uchar(0xFF));
    }

    traces.drawWave(true, true, normalBlock(shortSignal(300)).toByteArray());
    QCOMPARE(band(traces, 1), rendered(IrBlock::filled(0xFF), WaveRenderer::Grey));
    QVERIFY(countText(band(traces, 1), QRect(8, 8, 80, 14)) > 0);
}

void TestWave::shortFieldIsEmpty()
{
    WaveTraces traces(QLocale::c());
    traces.setScrollBoxWidth(ScrollWidth);
    const QByteArray field = normalBlock(shortSignal()).toByteArray().left(511);
    traces.drawWave(false, true, field);
    QCOMPARE(traces.traceBlock(0), IrBlock::filled(0xFF));
    QCOMPARE(traces.traceEnd(0), ScrollWidth + 10);
    QCOMPARE(band(traces, 0), rendered(IrBlock::filled(0xFF), WaveRenderer::Red));

    // Bytes past the first 512 do not count.
    const IrBlock block = normalBlock(shortSignal());
    traces.drawWave(false, true, block.toByteArray() + QByteArray(40, 'x'));
    QCOMPARE(traces.traceBlock(0), block);
}

void TestWave::emptyTableDrawsNothing()
{
    WaveTraces traces(QLocale::c());
    traces.setScrollBoxWidth(ScrollWidth);
    traces.drawWave(true, true, normalBlock(shortSignal()).toByteArray());
    const QImage before = traces.image();
    const IrBlock upper = traces.traceBlock(0);
    traces.drawWave(true, false, QByteArray());
    QCOMPARE(traces.image(), before);
    QCOMPARE(traces.traceBlock(0), upper);
    QCOMPARE(traces.traceEnd(0), ScrollWidth + 10);
}

void TestWave::imageWidthIsLargerEnd()
{
    WaveTraces traces(QLocale::c());
    traces.setScrollBoxWidth(ScrollWidth);
    setScale(traces, 1);
    const TestCapture longer{0, {{2212, 1}}, {0}, 0, 0};
    const TestCapture shorter{0, {{1106, 1}}, {0}, 0, 0};
    traces.drawWave(false, true, rc5Block(shorter, longer).toByteArray());
    QCOMPARE(traces.traceEnd(0), 4800 + 8 + 50);
    QCOMPARE(traces.traceEnd(1), 9600 + 8 + 50);
    QCOMPARE(traces.imageWidth(), 9658);
}

void TestWave::zoom_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("zoomIn");
    QTest::addColumn<QList<int>>("scales");

    QTest::newRow("in from 60") << 60 << true << QList<int>{30, 15, 7, 3, 1, 1};
    QTest::newRow("out from 1") << 1 << false << QList<int>{5, 10, 20, 40, 80, 160, 320, 640, 640};
    QTest::newRow("out from 60") << 60 << false << QList<int>{120, 240, 480, 960, 960};
}

void TestWave::zoom()
{
    QFETCH(int, start);
    QFETCH(bool, zoomIn);
    QFETCH(QList<int>, scales);
    WaveTraces traces(QLocale::c());
    setScale(traces, start);
    QCOMPARE(traces.waveScale(), start);
    for (int expected : scales) {
        zoomIn ? traces.zoomIn() : traces.zoomOut();
        QCOMPARE(traces.waveScale(), expected);
    }
    traces.normalSize();
    QCOMPARE(traces.waveScale(), 60);
}

QTEST_MAIN(TestWave)
#include "tst_wave.moc"
