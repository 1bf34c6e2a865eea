#include "core/signal/WaveTraces.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

namespace {

constexpr int MaxDoubledScale = 640;

} // namespace

WaveTraces::WaveTraces(const QLocale &locale)
    : m_renderer(locale)
    , m_image(ImageWidth, ImageHeight, QImage::Format_RGB32)
{
    m_image.fill(WaveRenderer::Background);
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

    drawTrace(1);
    drawTrace(0);
    m_imageWidth = std::max(m_ends[0], m_ends[1]);
}

void WaveTraces::takeCurrentBlock(const QByteArray &currentField)
{
    // A field shorter than a block is shown as an empty block.
    if (currentField.size() < IrBlock::Size)
        m_blocks[0] = IrBlock::filled(0xFF);
    else
        m_blocks[0] = IrBlock::fromField(currentField);
}

void WaveTraces::drawTrace(int t)
{
    m_ends[t] = m_renderer.draw(m_blocks[t], m_scale, m_colors[t], m_showTime,
                                  m_scrollBoxWidth);
    const QImage &strip = m_renderer.strip();
    std::memcpy(m_image.scanLine(BandHeight * t), strip.constBits(), size_t(strip.sizeInBytes()));
}

void WaveTraces::clearWave()
{
    for (IrBlock &block : m_blocks) {
        block.set(0, 0xFF);
        block.set(IrBlock::SecondHeaderOffset, 0xFF);
    }
    QPainter painter(&m_image);
    painter.fillRect(0, 0, m_imageWidth, ImageHeight, QColor::fromRgb(WaveRenderer::Background));
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
