#pragma once

#include "irsignal/TIRDataBlock.h"
#include "irsignal/WaveRenderer.h"

#include <QByteArray>
#include <QImage>
#include <QLocale>
#include <QRgb>

#include <array>

// State of the waveform view and its redraws: the two traced blocks, their
// colours and right ends, the scale, the display modes and Image1, the
// 20480 x 100 picture whose band t (rows 50t..50t+49) shows trace t. The upper
// band shows the current row; the lower band the second capture of an
// RC5/RC6 block, else the block shown before (Rolling) or nothing (Auto Clear).
class WaveTraces final
{
public:
    static constexpr int ImageWidth = WaveRenderer::StripWidth;
    static constexpr int BandHeight = WaveRenderer::StripHeight;
    static constexpr int ImageHeight = 2 * BandHeight;
    static constexpr int NormalScale = 60;

    explicit WaveTraces(const QLocale &locale = QLocale::system());

    // Redraws both traces from the current row's "IR Data". roll: a different
    // row is now current, so in Rolling mode the block shown so far moves to
    // the lower band first. Does nothing when the code table has no rows.
    void drawWave(bool roll, bool tableHasRows, const QByteArray &currentField);
    // Marks both traced blocks empty and blanks the image up to its width;
    // the width and the right ends stay as they are.
    void clearWave();

    // Scale steps of the zoom buttons; the caller redraws afterwards.
    void zoomIn();
    void zoomOut();
    void normalSize();
    [[nodiscard]] int waveScale() const { return WaveScale; }

    // Rolling mode (false: Auto Clear, the mode at start).
    [[nodiscard]] bool isRolling() const { return m_rolling; }
    void setRolling(bool rolling) { m_rolling = rolling; }
    [[nodiscard]] bool showTime() const { return m_showTime; }
    void setShowTime(bool showTime) { m_showTime = showTime; }
    // Width of the scroll box, which short signals are made to overfill.
    [[nodiscard]] int scrollBoxWidth() const { return m_scrollBoxWidth; }
    void setScrollBoxWidth(int width) { m_scrollBoxWidth = width; }

    [[nodiscard]] const TIRDataBlock &traceBlock(int t) const { return TraceBlock[t]; }
    [[nodiscard]] QRgb traceColor(int t) const { return TraceColor[t]; }
    [[nodiscard]] int traceEnd(int t) const { return TraceEnd[t]; }
    [[nodiscard]] const QImage &image() const { return Image1; }
    // How much of the image is shown and scrolled.
    [[nodiscard]] int imageWidth() const { return m_imageWidth; }

private:
    void takeCurrentBlock(const QByteArray &currentField);
    void drawTrace(int t);

    WaveRenderer m_renderer;
    std::array<TIRDataBlock, 2> TraceBlock;
    std::array<QRgb, 2> TraceColor{WaveRenderer::Red, WaveRenderer::Grey};
    std::array<int, 2> TraceEnd{};
    int WaveScale = NormalScale;
    bool m_rolling = false;
    bool m_showTime = false;
    int m_scrollBoxWidth = 0;
    QImage Image1;
    int m_imageWidth = ImageWidth;
};
