#include "irsignal/WaveTraces.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

namespace {

constexpr int MaxDoubledScale = 640;

} // namespace

WaveTraces::WaveTraces(const QLocale &locale)
    : m_renderer(locale)
    , Image1(ImageWidth, ImageHeight, QImage::Format_RGB32)
{
    Image1.fill(WaveRenderer::Background);
}

void WaveTraces::drawWave(bool roll, bool tableHasRows, const QByteArray &currentField)
{
    if (!tableHasRows)
        return;
    if (roll)
        TraceBlock[1] = TraceBlock[0];
    takeCurrentBlock(currentField);

    const int second = TIRDataBlock::SecondHeaderOffset;
    if (TraceBlock[0].at(second) == TIRFrameHeader::MarkerValid) {
        // The lower band shows the second capture: its header and symbols
        // take the places of the first capture's.
        std::memcpy(TraceBlock[1].data(), TraceBlock[0].data() + second, second);
        std::memcpy(TraceBlock[1].data() + TIRDataBlock::SymbolsOffset,
                    TraceBlock[0].data() + TIRDataBlock::SecondSymbolsOffset, second);
        TraceColor = {WaveRenderer::Red, WaveRenderer::Red};
    } else {
        if (!m_rolling)
            TraceBlock[1].set(0, 0xFF);
        TraceColor = {WaveRenderer::Red, WaveRenderer::Grey};
    }

    drawTrace(1);
    drawTrace(0);
    m_imageWidth = std::max(TraceEnd[0], TraceEnd[1]);
}

void WaveTraces::takeCurrentBlock(const QByteArray &currentField)
{
    // A field shorter than a block is shown as an empty block.
    if (currentField.size() < TIRDataBlock::Size)
        TraceBlock[0] = TIRDataBlock::filled(0xFF);
    else
        TraceBlock[0] = TIRDataBlock::fromField(currentField);
}

void WaveTraces::drawTrace(int t)
{
    TraceEnd[t] = m_renderer.draw(TraceBlock[t], WaveScale, TraceColor[t], m_showTime,
                                  m_scrollBoxWidth);
    const QImage &strip = m_renderer.strip();
    std::memcpy(Image1.scanLine(BandHeight * t), strip.constBits(), size_t(strip.sizeInBytes()));
}

void WaveTraces::clearWave()
{
    for (TIRDataBlock &block : TraceBlock) {
        block.set(0, 0xFF);
        block.set(TIRDataBlock::SecondHeaderOffset, 0xFF);
    }
    QPainter painter(&Image1);
    painter.fillRect(0, 0, m_imageWidth, ImageHeight, QColor::fromRgb(WaveRenderer::Background));
}

void WaveTraces::zoomIn()
{
    WaveScale = WaveScale > 5 ? WaveScale / 2 : 1;
}

void WaveTraces::zoomOut()
{
    if (WaveScale == 1)
        WaveScale = 5;
    else if (WaveScale < MaxDoubledScale)
        WaveScale *= 2;
}

void WaveTraces::normalSize()
{
    WaveScale = NormalScale;
}
