#pragma once

#include "core/signal/IrBlock.h"
#include "core/signal/WaveGeometry.h"
#include "core/signal/WaveRenderer.h"

#include <QByteArray>
#include <QImage>
#include <QLocale>
#include <QRgb>
#include <QString>

#include <array>

class WaveCanvas;

// State of the waveform view and its redraws: the two traced blocks, their
// colours, geometries and right ends, the scale, the display modes and
// m_image, the picture whose band t (rows 50t..50t+49) shows trace t. The
// upper band shows the current row; the lower band the second capture of an
// RC5/RC6 block, else the block shown before (Rolling) or nothing (Auto
// Clear). The picture is as wide as what it shows: the larger right end of
// the two traces, at most 20480 pixels.
class WaveTraces final
{
public:
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
    // Draws band t again on another canvas as wide as the image (a vector
    // drawing of the picture).
    void paintBand(int t, WaveCanvas &canvas);

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
    // Where the gaps and bursts of trace t lie; no signal after clearWave().
    [[nodiscard]] const WaveGeometry &geometry(int t) const { return m_geometries[t]; }
    // The decoded key written after trace t's signal; empty when none decodes.
    [[nodiscard]] const QString &caption(int t) const { return m_captions[t]; }
    [[nodiscard]] const QImage &image() const { return m_image; }
    // The font the bands are written in.
    [[nodiscard]] WaveGlyphs &glyphs() { return m_renderer.glyphs(); }
    // How much of the image is shown and scrolled: its width, 0 before the
    // first drawWave().
    [[nodiscard]] int imageWidth() const { return m_image.width(); }

private:
    void takeCurrentBlock(const QByteArray &currentField);
    void layOutTrace(int t);

    WaveRenderer m_renderer;
    std::array<IrBlock, 2> m_blocks;
    std::array<QRgb, 2> m_colors{WaveRenderer::Red, WaveRenderer::Grey};
    std::array<int, 2> m_ends{};
    std::array<WaveGeometry, 2> m_geometries;
    std::array<QString, 2> m_captions;
    bool m_cleared = false;
    int m_scale = NormalScale;
    bool m_rolling = false;
    bool m_showTime = false;
    int m_scrollBoxWidth = 0;
    QImage m_image;
};
