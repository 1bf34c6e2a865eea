#pragma once

#include "core/signal/IrBlock.h"
#include "core/signal/WaveRenderer.h"

#include <QByteArray>
#include <QImage>
#include <QLocale>
#include <QRgb>

#include <array>

// State of the waveform view and its redraws: the two traced blocks, their
// colours and right ends, the scale, the display modes and m_image, the
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
    [[nodiscard]] int waveScale() const { return m_scale; }

    // Rolling mode (false: Auto Clear, the mode at start).
    [[nodiscard]] bool isRolling() const { return m_rolling; }
    void setRolling(bool rolling) { m_rolling = rolling; }
    [[nodiscard]] bool showTime() const { return m_showTime; }
    void setShowTime(bool showTime) { m_showTime = showTime; }
    // Width of the scroll box, which short signals are made to overfill.
    [[nodiscard]] int scrollBoxWidth() const { return m_scrollBoxWidth; }
    void setScrollBoxWidth(int width) { m_scrollBoxWidth = width; }

    [[nodiscard]] const IrBlock &traceBlock(int t) const { return m_blocks[t]; }
    [[nodiscard]] QRgb traceColor(int t) const { return m_colors[t]; }
    [[nodiscard]] int traceEnd(int t) const { return m_ends[t]; }
    [[nodiscard]] const QImage &image() const { return m_image; }
    // How much of the image is shown and scrolled.
    [[nodiscard]] int imageWidth() const { return m_imageWidth; }

private:
    void takeCurrentBlock(const QByteArray &currentField);
    void drawTrace(int t);

    WaveRenderer m_renderer;
    std::array<IrBlock, 2> m_blocks;
    std::array<QRgb, 2> m_colors{WaveRenderer::Red, WaveRenderer::Grey};
    std::array<int, 2> m_ends{};
    int m_scale = NormalScale;
    bool m_rolling = false;
    bool m_showTime = false;
    int m_scrollBoxWidth = 0;
    QImage m_image;
    int m_imageWidth = ImageWidth;
};
