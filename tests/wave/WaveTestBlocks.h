#pragma once

#include "core/signal/IrBlock.h"
#include "core/signal/WaveRenderer.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QRgb>

// One capture to write into a block: carrier, duration table, symbols and
// the repeated part.
struct TestCapture
{
    uchar carrierPeriod = 48;
    QList<IrDuration> table;
    QList<int> symbols;
    int repeatStart = 0;
    int repeatEnd = 0;
};

inline void putWord(IrBlock &block, int offset, int value)
{
    block.set(offset, uchar(value >> 8));
    block.set(offset + 1, uchar(value));
}

// Writes capture with its header at headerOffset and its symbols at
// symbolOffset, and marks the capture valid.
inline void writeCapture(IrBlock &block, int headerOffset, int symbolOffset,
                         const TestCapture &capture)
{
    block.set(headerOffset, CaptureHeader::MarkerValid);
    block.set(headerOffset + 1, capture.carrierPeriod);
    putWord(block, headerOffset + 4, capture.repeatStart);
    putWord(block, headerOffset + 6, capture.repeatEnd);
    putWord(block, headerOffset + 8, int(capture.symbols.size()));
    for (int k = 0; k < capture.table.size(); ++k) {
        putWord(block, headerOffset + 11 + 4 * k, capture.table[k].gap);
        putWord(block, headerOffset + 13 + 4 * k, capture.table[k].burst);
    }
    for (int i = 0; i < capture.symbols.size(); ++i) {
        const int at = symbolOffset + i / 2;
        const int nibble = capture.symbols[i] & 0x0F;
        block.set(at, uchar(i % 2 == 0 ? (block.at(at) & 0xF0) | nibble
                                       : (block.at(at) & 0x0F) | (nibble << 4)));
    }
}

inline IrBlock normalBlock(const TestCapture &capture)
{
    IrBlock block;
    writeCapture(block, 0, IrBlock::SymbolsOffset, capture);
    return block;
}

inline IrBlock rc5Block(const TestCapture &first, const TestCapture &second)
{
    IrBlock block;
    writeCapture(block, 0, IrBlock::SymbolsOffset, first);
    writeCapture(block, IrBlock::SecondHeaderOffset, IrBlock::SecondSymbolsOffset, second);
    return block;
}

// One entry (Gap 100, Burst 21) at carrier period 48: 433 us low, 546 us high.
inline TestCapture singleSymbol(uchar carrierPeriod = 48)
{
    return {carrierPeriod, {{100, 21}}, {0}, 0, 0};
}

// A few symbols with a repeated tail, short enough for any scroll box.
inline TestCapture shortSignal(quint16 gap = 200)
{
    return {38, {{gap, 20}, {400, 40}}, {0, 1, 0, 1}, 2, 4};
}

inline int countColor(const QImage &image, const QRect &area, QRgb color)
{
    int count = 0;
    const QRect r = area & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = r.left(); x <= r.right(); ++x)
            count += (line[x] & 0xFFFFFF) == (color & 0xFFFFFF) ? 1 : 0;
    }
    return count;
}

// Black pixels of an area: the labels.
inline int countText(const QImage &image, const QRect &area)
{
    return countColor(image, area, WaveRenderer::TextColor);
}

// 512 symbols over all 16 entries of a remote's typical lengths, the whole
// second half repeated: long enough to be cut at the strip's end at fine scales.
inline IrBlock fullBlock()
{
    TestCapture capture{48, {}, {}, 256, 512};
    for (int k = 0; k < 16; ++k)
        capture.table.append({quint16(60 + 40 * k), quint16(10 + 3 * k)});
    for (int i = 0; i < IrBlock::MaxSymbols; ++i)
        capture.symbols.append((i * 7 + i / 16) % 16);
    return normalBlock(capture);
}
