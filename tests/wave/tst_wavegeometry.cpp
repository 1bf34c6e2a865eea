#include "WaveTestBlocks.h"

#include "core/signal/WaveGeometry.h"
#include "core/signal/WaveRasterCanvas.h"
#include "core/signal/WaveRenderer.h"
#include "core/signal/WaveTraces.h"

#include <QTest>

#include <memory>
#include <set>

namespace {

constexpr int ScrollWidth = 756;

// Entry 0 (433 us gap, 546 us burst) and entry 1 (9600 us gap, 26 us burst)
// at carrier period 48, symbols 0 1 0 1 with symbols 2 and 3 repeated.
IrBlock twoEntryBlock()
{
    return normalBlock({48, {{100, 21}, {2212, 1}}, {0, 1, 0, 1}, 2, 4});
}

QImage drawn(const IrBlock &block, int scale, QRgb pen, int width)
{
    WaveRenderer renderer(QLocale::c());
    QImage image = WaveGlyphs::screenImage(width, WaveRenderer::StripHeight);
    WaveRasterCanvas canvas(image, 0, renderer.glyphs());
    renderer.paint(canvas, WaveGeometry(block, scale), pen, false, QString());
    return image;
}

// Every scale the zoom steps reach from the normal size, with the scale one
// step in and one step out where that differs.
QList<std::pair<int, int>> zoomSteps()
{
    QList<std::pair<int, int>> steps;
    std::set<int> seen;
    QList<WaveTraces *> open{new WaveTraces(QLocale::c())};
    while (!open.isEmpty()) {
        std::unique_ptr<WaveTraces> traces(open.takeLast());
        const int scale = traces->waveScale();
        if (!seen.insert(scale).second)
            continue;
        for (const bool in : {true, false}) {
            auto next = std::make_unique<WaveTraces>(*traces);
            in ? next->zoomIn() : next->zoomOut();
            if (next->waveScale() != scale) {
                steps.append({scale, next->waveScale()});
                open.append(next.release());
            }
        }
    }
    return steps;
}

} // namespace

class TestWaveGeometry : public QObject
{
    Q_OBJECT

private slots:
    void segmentsFollowTheDrawingArithmetic();
    void segmentsLieWhereThePictureDrawsThem_data();
    void segmentsLieWhereThePictureDrawsThem();
    void segmentUnderPixel_data();
    void segmentUnderPixel();
    void timeAndPixelAgree();
    void zoomKeepsTimeUnderPointer();
    void measure_data();
    void measure();
    void noSignal();
};

void TestWaveGeometry::segmentsFollowTheDrawingArithmetic()
{
    const IrBlock block = fullBlock();
    const CaptureHeader header = block.header();
    for (const int scale : {1, 7, 60, 960}) {
        const WaveGeometry geometry(block, scale);
        int x = 0;
        qint64 start = 0;
        for (const WaveSegment &s : geometry.segments()) {
            const IrDuration entry = header.duration(block.symbol(s.symbol));
            const qint64 micros = s.burst ? WaveRenderer::burstMicros(entry.burst, header.carrierPeriod())
                                          : WaveRenderer::gapMicros(entry.gap);
            QCOMPARE(s.entry, block.symbol(s.symbol));
            QCOMPARE(s.micros, micros);
            QCOMPARE(s.pixels, WaveRenderer::pixelsFor(micros, scale));
            QCOMPARE(s.x, x);
            QCOMPARE(s.startMicros, start);
            QCOMPARE(s.repeated, s.symbol >= 256);
            x = std::min<qint64>(x + s.pixels, WaveRenderer::StripWidth);
            start += micros;
        }
        QCOMPARE(geometry.signalEnd(), x);
        QCOMPARE(geometry.signalMicros(), start);
        // The main pass, then the repeated part again, unless the strip ends first.
        const qsizetype drawn = geometry.segments().size();
        QVERIFY(x == WaveRenderer::StripWidth || drawn == 2 * (512 + 256));
        QCOMPARE(geometry.segments().first().repetition, false);
        QCOMPARE(geometry.segments().last().repetition, drawn > 2 * 512);
    }
}

void TestWaveGeometry::segmentsLieWhereThePictureDrawsThem_data()
{
    QTest::addColumn<IrBlock>("block");
    QTest::addColumn<int>("scale");

    QTest::newRow("two entries, scale 5") << twoEntryBlock() << 5;
    QTest::newRow("two entries, scale 60") << twoEntryBlock() << 60;
    QTest::newRow("512 symbols, scale 1") << fullBlock() << 1;
    QTest::newRow("512 symbols, scale 15") << fullBlock() << 15;
    QTest::newRow("512 symbols, scale 640") << fullBlock() << 640;
}

// A gap's level and a burst's rising edge and level start at the segment's
// column, in red for the signal and blue for its repetition.
void TestWaveGeometry::segmentsLieWhereThePictureDrawsThem()
{
    QFETCH(IrBlock, block);
    QFETCH(int, scale);
    const WaveGeometry geometry(block, scale);
    const QImage picture = drawn(block, scale, WaveRenderer::Red, WaveRenderer::StripWidth);
    const auto at = [&picture](int x, int y) { return picture.pixel(x, y) & 0xFFFFFF; };
    int checked = 0;
    for (const WaveSegment &s : geometry.segments()) {
        if (s.right() <= s.x)
            continue;
        const QRgb pen = (s.repetition ? WaveRenderer::Blue : WaveRenderer::Red) & 0xFFFFFF;
        if (s.burst) {
            QCOMPARE(at(s.x, WaveRenderer::HighY), pen);
            QCOMPARE(at(s.x, 20), pen);
            QCOMPARE(at(s.right() - 1, WaveRenderer::HighY), pen);
        } else {
            QCOMPARE(at(s.x, WaveRenderer::LowY), pen);
            QCOMPARE(at(s.right() - 1, WaveRenderer::LowY), pen);
            if (s.pixels > 1)
                QCOMPARE(at(s.x + 1, WaveRenderer::HighY), WaveRenderer::Background & 0xFFFFFF);
        }
        ++checked;
    }
    QVERIFY(checked > 0);
    WaveRenderer renderer(QLocale::c());
    const int end = renderer.traceEnd(geometry, ScrollWidth, QString());
    QCOMPARE(end, std::clamp(geometry.signalEnd() + 50, ScrollWidth + 10, WaveRenderer::StripWidth));
}

void TestWaveGeometry::segmentUnderPixel_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<QString>("text");

    // Scale 5: gap 433 us in 87 pixels, burst 546 us in 109, gap 9600 us in
    // 1920, burst 26 us in 5; symbols 2 and 3 again, then their repetition.
    const QString entry0 = QStringLiteral("duration entry 0 (gap 100, burst 21)");
    const QString entry1 = QStringLiteral("duration entry 1 (gap 2212, burst 1)");
    const QString notRepeated = QStringLiteral("Not in the repeated part");
    const QString repeated = QStringLiteral("In the repeated part");
    const QString repetition = QStringLiteral("Repetition of the repeated part");
    const auto row = [&](const char *name, int x, const char *kind, int symbol, const QString &entry,
                         const QString &part) {
        QTest::newRow(name) << x
                            << QStringLiteral("%1\nSymbol %2, %3\n%4")
                                   .arg(QString::fromUtf8(kind), QString::number(symbol), entry, part);
    };
    row("first gap, left end", 0, "Gap 433 µs", 0, entry0, notRepeated);
    row("first gap, right end", 86, "Gap 433 µs", 0, entry0, notRepeated);
    row("first burst", 87, "Burst 546 µs", 0, entry0, notRepeated);
    row("long gap", 1000, "Gap 9600 µs", 1, entry1, notRepeated);
    row("short burst", 2116, "Burst 26 µs", 1, entry1, notRepeated);
    row("short burst, right end", 2120, "Burst 26 µs", 1, entry1, notRepeated);
    row("repeated part", 2121, "Gap 433 µs", 2, entry0, repeated);
    row("repeated burst", 4237, "Burst 26 µs", 3, entry1, repeated);
    row("repetition", 4329, "Burst 546 µs", 2, entry0, repetition);
    row("last burst", 6362, "Burst 26 µs", 3, entry1, repetition);
    QTest::newRow("after the signal") << 6363 << QString();
    QTest::newRow("left of the picture") << -1 << QString();
}

void TestWaveGeometry::segmentUnderPixel()
{
    QFETCH(int, x);
    QFETCH(QString, text);
    const WaveGeometry geometry(twoEntryBlock(), 5);
    const WaveSegment *segment = geometry.segmentAt(x);
    QCOMPARE(segment ? WaveGeometry::segmentText(*segment) : QString(), text);
}

void TestWaveGeometry::timeAndPixelAgree()
{
    const WaveGeometry geometry(twoEntryBlock(), 5);
    // Segment starts carry the exact sums of the durations before them.
    QCOMPARE(geometry.microsAt(87), 433.0);
    QCOMPARE(geometry.microsAt(2116), 433.0 + 546 + 9600);
    QCOMPARE(geometry.xAt(433 + 546 + 9600), 2116.0);
    // Outside the segments time runs at 5 us per pixel.
    QCOMPARE(geometry.microsAt(6363 + 10), double(geometry.signalMicros() + 50));
    QCOMPARE(geometry.xAt(-50), -10.0);
    for (double x = 0; x < 6400; x += 13.25)
        QVERIFY(std::abs(geometry.xAt(geometry.microsAt(x)) - x) < 1e-6);
}

// For every zoom step, pointers anywhere over a scrolled picture keep the
// same gap or burst under them, at the same place within it to one pixel.
void TestWaveGeometry::zoomKeepsTimeUnderPointer()
{
    const IrBlock block = fullBlock();
    const QList<std::pair<int, int>> steps = zoomSteps();
    QVERIFY(steps.size() > 30);
    for (const auto &[from, to] : steps) {
        const WaveGeometry before(block, from);
        const WaveGeometry after(block, to);
        for (const int offset : {0, 333, 4000, 19000}) {
            for (const int pointer : {0, 1, 250, 511, 755}) {
                const int newOffset = WaveGeometry::anchoredOffset(before, after, offset, pointer);
                const QString where =
                    QStringLiteral("%1 -> %2, offset %3, pointer %4").arg(from).arg(to).arg(offset).arg(pointer);
                // The time at the middle of the pointer's column lies within
                // one pixel of the middle of its column after the step.
                const double micros = before.microsAt(offset + pointer + 0.5);
                QVERIFY2(std::abs(after.xAt(micros) - (newOffset + pointer + 0.5)) <= 1.0, qPrintable(where));

                const WaveSegment *under = before.segmentAt(offset + pointer);
                if (!under || under - before.segments().data() >= after.segments().size())
                    continue;
                const WaveSegment &same = after.segments()[under - before.segments().data()];
                const double within = (offset + pointer + 0.5 - under->x) / double(under->pixels);
                const double expected = same.x + within * double(same.pixels);
                QVERIFY2(std::abs(expected - (newOffset + pointer + 0.5)) <= 1.0, qPrintable(where));
            }
        }
    }
}

void TestWaveGeometry::measure_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("text");

    QTest::newRow("gap, burst and gap") << 0 << 2116 << QStringLiteral("10579 µs (10.579 ms), 2 bursts");
    QTest::newRow("either direction") << 2116 << 0 << QStringLiteral("10579 µs (10.579 ms), 2 bursts");
    QTest::newRow("one column on an edge") << 87 << 87 << QStringLiteral("0 µs (0.000 ms), 1 burst");
    QTest::newRow("inside a gap") << 196 << 1156 << QStringLiteral("4800 µs (4.800 ms), 0 bursts");
    QTest::newRow("after the signal") << 6363 << 6373 << QStringLiteral("50 µs (0.050 ms), 0 bursts");
    QTest::newRow("whole signal") << 0 << 6363 << QStringLiteral("31815 µs (31.815 ms), 6 bursts");
}

void TestWaveGeometry::measure()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, text);
    QCOMPARE(WaveGeometry(twoEntryBlock(), 5).measureText(from, to), text);
}

void TestWaveGeometry::noSignal()
{
    for (const WaveGeometry &geometry : {WaveGeometry(IrBlock::filled(0xFF), 60), WaveGeometry(60)}) {
        QVERIFY(!geometry.hasSignal());
        QVERIFY(geometry.segments().isEmpty());
        QCOMPARE(geometry.segmentAt(0), nullptr);
        QCOMPARE(geometry.microsAt(10), 600.0);
        // Column 150 (its middle at 9030 us) is column 301 at 30 us per pixel.
        QCOMPARE(WaveGeometry::anchoredOffset(geometry, WaveGeometry(30), 100, 50), 251);
    }
}

QTEST_MAIN(TestWaveGeometry)
#include "tst_wavegeometry.moc"
