#include "WaveTestBlocks.h"

#include "core/common/ZoqError.h"
#include "core/signal/IrEncoder.h"
#include "core/signal/WaveGeometry.h"
#include "core/signal/WavePicture.h"
#include "core/signal/WaveRasterCanvas.h"
#include "core/signal/WaveTraces.h"
#include "support/ScriptedPrompt.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

constexpr int ScrollWidth = 756;

IrBlock encoded(const IrCode &code)
{
    const IrResult<IrBlock> block = IrEncoder::block(code);
    if (!block.isOk())
        qFatal("%s", qPrintable(block.error()));
    return block.value();
}

// Traces showing current, with shownBefore rolled into the lower band.
std::unique_ptr<WaveTraces> tracesShowing(const IrBlock &shownBefore, const IrBlock &current, int scale = 60,
                                          bool showTime = true)
{
    auto traces = std::make_unique<WaveTraces>(QLocale::c());
    traces->setScrollBoxWidth(ScrollWidth);
    traces->setRolling(true);
    traces->setShowTime(showTime);
    while (traces->waveScale() > scale)
        traces->zoomIn();
    while (traces->waveScale() < scale)
        traces->zoomOut();
    traces->drawWave(true, true, shownBefore.toByteArray());
    traces->drawWave(true, true, current.toByteArray());
    return traces;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestWavePicture : public QObject
{
    Q_OBJECT

private slots:
    void decodedKeyIsWrittenAfterTheSignal();
    void pngHoldsTheRenderersPixels_data();
    void pngHoldsTheRenderersPixels();
    void svgDrawsTheSamePicture();
    void clearedPictureSavesBlank();
    void proposedName_data();
    void proposedName();
    void saveAs_data();
    void saveAs();
    void saveAsCancelledOrNotReplaced();
};

void TestWavePicture::decodedKeyIsWrittenAfterTheSignal()
{
    const IrBlock nec = encoded({IrProtocol::Nec, 0x04, 0x08});
    const IrBlock rc5 = encoded({IrProtocol::Rc5, 0x05, 0x0C});
    const IrBlock raw = normalBlock(shortSignal());

    const auto traces = tracesShowing(raw, nec, 60, false);
    QCOMPARE(traces->caption(0), QStringLiteral("NEC 0x04 0x08"));
    QCOMPARE(traces->caption(1), QString());
    // The caption's cell lies after the signal, and the picture holds it.
    const int signalEnd = traces->geometry(0).signalEnd();
    const QImage &image = traces->image();
    QVERIFY(countText(image, QRect(signalEnd + 8, 8, traces->imageWidth(), 14)) > 0);
    QCOMPARE(countText(image, QRect(signalEnd, 0, 8, 32)), 0);
    QCOMPARE(countText(image, QRect(0, 0, signalEnd, 32)), 0);
    QVERIFY(traces->traceEnd(0) >= signalEnd + 16 + traces->glyphs().textWidth(traces->caption(0)));
    QCOMPARE(countText(image, QRect(traces->geometry(1).signalEnd(), 50, traces->imageWidth(), 32)), 0);

    // Each band of an RC5/RC6 block names its own capture and toggle.
    const auto both = tracesShowing(raw, rc5);
    QVERIFY(both->caption(0).startsWith(QStringLiteral("RC5 0x05 0x0C T")));
    QVERIFY(both->caption(1).startsWith(QStringLiteral("RC5 0x05 0x0C T")));
    QVERIFY(both->caption(0) != both->caption(1));
}

void TestWavePicture::pngHoldsTheRenderersPixels_data()
{
    QTest::addColumn<IrBlock>("lower");
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("width");

    QTest::newRow("normal size") << fullBlock() << 60 << 20480;
    QTest::newRow("widest") << fullBlock() << 1 << 20480;
    QTest::newRow("short") << normalBlock(shortSignal()) << 960 << ScrollWidth + 10;
}

// The whole picture, not the part in view, both bands as the renderer draws
// them on their own.
void TestWavePicture::pngHoldsTheRenderersPixels()
{
    QFETCH(IrBlock, lower);
    QFETCH(int, scale);
    QFETCH(int, width);
    const IrBlock nec = encoded({IrProtocol::Nec, 0x04, 0x08});
    const auto traces = tracesShowing(lower, nec, scale);
    QCOMPARE(traces->imageWidth(), width);

    const QImage saved = QImage::fromData(WavePicture::png(*traces), "PNG").convertToFormat(QImage::Format_RGB32);
    QCOMPARE(saved.size(), QSize(width, 100));
    QCOMPARE(saved, traces->image());

    WaveRenderer renderer(QLocale::c());
    for (int t = 0; t < 2; ++t) {
        QImage band = WaveGlyphs::screenImage(width, 50);
        WaveRasterCanvas canvas(band, 0, renderer.glyphs());
        renderer.paint(canvas, WaveGeometry(traces->traceBlock(t), scale), traces->traceColor(t), true,
                       traces->caption(t));
        QCOMPARE(saved.copy(0, 50 * t, width, 50), band);
    }
}

// The SVG is well formed, and rendered at its own size it gives the PNG's
// pixels wherever there is no text (text may be smoothed differently).
void TestWavePicture::svgDrawsTheSamePicture()
{
    const auto traces = tracesShowing(normalBlock(shortSignal(300)), fullBlock(), 15, false);
    const QByteArray svg = WavePicture::svg(*traces);

    QXmlStreamReader xml(svg);
    int texts = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text"))
            ++texts;
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    // One label per tick of each band's axis, nothing else.
    QCOMPARE(texts, 2 * ((traces->imageWidth() + 4) / WaveRenderer::TickStep));

    QSvgRenderer renderer(svg);
    QVERIFY(renderer.isValid());
    QCOMPARE(renderer.viewBox(), QRect(0, 0, traces->imageWidth(), 100));
    QImage drawn(renderer.viewBox().size(), QImage::Format_RGB32);
    drawn.fill(Qt::white);
    QPainter painter(&drawn);
    renderer.render(&painter);
    painter.end();
    const QImage &png = traces->image();
    for (int t = 0; t < 2; ++t) {
        const QRect signalRows(0, 50 * t, png.width(), WaveRenderer::TickTopY);
        QCOMPARE(drawn.copy(signalRows), png.copy(signalRows));
        const QRect axisLine(0, 50 * t + WaveRenderer::TickTopY, png.width(), 4);
        QCOMPARE(drawn.copy(axisLine), png.copy(axisLine));
    }
}

void TestWavePicture::clearedPictureSavesBlank()
{
    const auto traces = tracesShowing(fullBlock(), fullBlock());
    traces->clearWave();
    const QImage saved = QImage::fromData(WavePicture::png(*traces), "PNG").convertToFormat(QImage::Format_RGB32);
    QCOMPARE(countColor(saved, saved.rect(), WaveRenderer::Background), saved.width() * saved.height());

    QSvgRenderer renderer(WavePicture::svg(*traces));
    QImage drawn(renderer.viewBox().size(), QImage::Format_RGB32);
    drawn.fill(Qt::white);
    QPainter painter(&drawn);
    renderer.render(&painter);
    painter.end();
    QCOMPARE(drawn, saved);
}

void TestWavePicture::proposedName_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");

    QTest::newRow("key name") << "Power" << "Power.png";
    QTest::newRow("spaces around") << "  Vol+ " << "Vol+.png";
    QTest::newRow("no name") << "" << "Wave.png";
    QTest::newRow("folder characters") << "a/b\\c:d*e?" << "a_b_c_d_e_.png";
    QTest::newRow("leading dot") << ".." << "Wave...png";
}

void TestWavePicture::proposedName()
{
    QFETCH(QString, key);
    QFETCH(QString, name);
    QCOMPARE(WavePicture::proposedName(key), name);
}

void TestWavePicture::saveAs_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("svg");

    QTest::newRow("png") << "key.png" << "key.png" << false;
    QTest::newRow("no extension: png") << "key" << "key.png" << false;
    QTest::newRow("svg in capitals") << "key.SVG" << "key.SVG" << true;
    QTest::newRow("other extension") << "key.txt" << "key.txt.png" << false;
}

void TestWavePicture::saveAs()
{
    QFETCH(QString, answer);
    QFETCH(QString, written);
    QFETCH(bool, svg);
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    prompt.queueFileName(dir.filePath(answer));
    const auto traces = tracesShowing(fullBlock(), encoded({IrProtocol::Nec, 0x04, 0x08}));

    WavePicture::saveAs(prompt, *traces, QStringLiteral("Power"));

    QCOMPARE(prompt.asked().size(), 1);
    QCOMPARE(prompt.asked()[0].title, QStringLiteral("*.png|*.png|*.svg|*.svg"));
    QCOMPARE(prompt.asked()[0].text, QStringLiteral("Power.png"));
    const QByteArray bytes = readFile(dir.filePath(written));
    QCOMPARE(bytes, svg ? WavePicture::svg(*traces) : WavePicture::png(*traces));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

void TestWavePicture::saveAsCancelledOrNotReplaced()
{
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    const auto traces = tracesShowing(fullBlock(), fullBlock());
    WavePicture::saveAs(prompt, *traces, QStringLiteral("Power"));
    QVERIFY(QDir(dir.path()).isEmpty());

    const QString path = dir.filePath(QStringLiteral("old.png"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("old");
    file.close();
    prompt.clear();
    prompt.queueFileName(path);
    prompt.queueAnswer(Prompt::Answer::No);
    WavePicture::saveAs(prompt, *traces, QString());
    QCOMPARE(prompt.texts(), QStringList{QStringLiteral("File already exist.Replace?")});
    QCOMPARE(readFile(path), QByteArray("old"));

    prompt.clear();
    prompt.queueFileName(path);
    prompt.queueAnswer(Prompt::Answer::Yes);
    WavePicture::saveAs(prompt, *traces, QString());
    QCOMPARE(readFile(path), WavePicture::png(*traces));

    // A folder in the file's place is refused with the writer's error.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.png")));
    prompt.clear();
    prompt.queueFileName(dir.filePath(QStringLiteral("folder.png")));
    prompt.queueAnswer(Prompt::Answer::Yes);
    QVERIFY_THROWS_EXCEPTION(ZoqError, WavePicture::saveAs(prompt, *traces, QString()));
}

QTEST_MAIN(TestWavePicture)
#include "tst_wavepicture.moc"
