#pragma once

#include "core/signal/IrBlock.h"

#include <QByteArray>

// 512 symbols over all 16 entries of a remote's typical lengths, with the
// whole second half repeated: the longest waveform a block draws.
[[nodiscard]] inline QByteArray fullWaveBlock()
{
    IrBlock block;
    block.set(0, CaptureHeader::MarkerValid);
    block.set(1, 48);
    const auto word = [&block](int at, int value) {
        block.set(at, uchar(value >> 8));
        block.set(at + 1, uchar(value));
    };
    word(4, 256);
    word(6, 512);
    word(8, 512);
    for (int k = 0; k < 16; ++k) {
        word(11 + 4 * k, 60 + 40 * k);
        word(13 + 4 * k, 10 + 3 * k);
    }
    for (int i = IrBlock::SymbolsOffset; i < IrBlock::Size; ++i)
        block.set(i, uchar(i * 37));
    return block.toByteArray();
}
