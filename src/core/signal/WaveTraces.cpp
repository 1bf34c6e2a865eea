#include "core/signal/WaveTraces.h"

#include "core/signal/IrDecoder.h"
#include "core/signal/IrTiming.h"
#include "core/signal/WaveRasterCanvas.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int MaxDoubledScale = 640;

// The key a trace's capture decodes to ("NEC 0x04 0x08", with its toggle
// where the protocol has one), or nothing.
QString captionOf(const IrBlock &block)
{
    if (!block.isValid())
        return {};
    IrDecode decoded;
    const std::optional<IrCode> code = IrDecoder::decode(IrTiming::fromBlock(block, 0));
    if (!code)
        return {};
    decoded.kind = IrDecode::Kind::Code;
    decoded.code = *code;
    return decoded.summary();
}

} // namespace

WaveTraces::WaveTraces(const QLocale &locale)
    : m_renderer(locale)
{
}

void WaveTraces::drawWave(bool roll, bool tableHasRows, const QByteArray &currentField)
{
    if (!tableHasRows)
        return;
    if (roll)
        m_blocks[1] = m_blocks[0];
    takeCurrentBlock(currentField);

    const int second = IrBlock::SecondHeaderOffset;
    if (m_blocks[0].at(second) == CaptureHeader::MarkerValid) {
        // The lower band shows the second capture: its header and symbols
        // take the places of the first capture's.
        std::memcpy(m_blocks[1].data(), m_blocks[0].data() + second, second);
        std::memcpy(m_blocks[1].data() + IrBlock::SymbolsOffset,
                    m_blocks[0].data() + IrBlock::SecondSymbolsOffset, second);
        m_colors = {WaveRenderer::Red, WaveRenderer::Red};
    } else {
        if (!m_rolling)
            m_blocks[1].set(0, 0xFF);
        m_colors = {WaveRenderer::Red, WaveRenderer::Grey};
    }

    m_cleared = false;
    layOutTrace(0);
    layOutTrace(1);
    const int width = std::max(m_ends[0], m_ends[1]);
    if (m_image.width() != width)
        m_image = WaveGlyphs::screenImage(width, ImageHeight);
    for (int t = 0; t < 2; ++t) {
        WaveRasterCanvas band(m_image, BandHeight * t, m_renderer.glyphs());
        paintBand(t, band);
    }
}

void WaveTraces::takeCurrentBlock(const QByteArray &currentField)
{
    // A field shorter than a block is shown as an empty block.
    if (currentField.size() < IrBlock::Size)
        m_blocks[0] = IrBlock::filled(0xFF);
    else
        m_blocks[0] = IrBlock::fromField(currentField);
}

void WaveTraces::layOutTrace(int t)
{
    m_geometries[t] = WaveGeometry(m_blocks[t], m_scale);
    m_captions[t] = captionOf(m_blocks[t]);
    m_ends[t] = m_renderer.traceEnd(m_geometries[t], m_scrollBoxWidth, m_captions[t]);
}

void WaveTraces::paintBand(int t, WaveCanvas &canvas)
{
    if (m_cleared)
        canvas.fillRect(QRect(0, 0, canvas.width(), BandHeight), WaveRenderer::Background);
    else
        m_renderer.paint(canvas, m_geometries[t], m_colors[t], m_showTime, m_captions[t]);
}

void WaveTraces::clearWave()
{
    for (IrBlock &block : m_blocks) {
        block.set(0, 0xFF);
        block.set(IrBlock::SecondHeaderOffset, 0xFF);
    }
    m_geometries = {WaveGeometry(m_scale), WaveGeometry(m_scale)};
    m_captions = {};
    m_cleared = true;
    m_image.fill(WaveRenderer::Background);
}

void WaveTraces::zoomIn()
{
    m_scale = m_scale > 5 ? m_scale / 2 : 1;
}

void WaveTraces::zoomOut()
{
    if (m_scale == 1)
        m_scale = 5;
    else if (m_scale < MaxDoubledScale)
        m_scale *= 2;
}

void WaveTraces::normalSize()
{
    m_scale = NormalScale;
}
