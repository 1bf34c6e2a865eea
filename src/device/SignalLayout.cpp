#include "device/SignalLayout.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int HeaderSize = TIRFrameHeader::Size;
constexpr int HalfData = 128;

void copyFromCapture(TIRDataBlock &block, int to, const QByteArray &capture, int from, int length)
{
    const int available = std::clamp(int(capture.size()) - from, 0, length);
    std::memcpy(block.data() + to, capture.constData() + from, size_t(available));
}

QByteArray blockBytes(const TIRDataBlock &block, int from, int length)
{
    return QByteArray(reinterpret_cast<const char *>(block.data() + from), length);
}

} // namespace

namespace SignalLayout {

int captureSize(quint8 irFormat)
{
    return irFormat == FormatRc5Rc6 ? 2 * FrameSize : FrameSize;
}

TIRDataBlock blockFromCapture(const QByteArray &capture, quint8 irFormat, const QByteArray &nameBytes)
{
    TIRDataBlock block;
    copyFromCapture(block, 0, capture, 0, HeaderSize);
    if (irFormat == FormatRc5Rc6) {
        copyFromCapture(block, TIRDataBlock::SymbolsOffset, capture, HeaderSize, HalfData);
        copyFromCapture(block, TIRDataBlock::SecondHeaderOffset, capture, FrameSize, HeaderSize);
        copyFromCapture(block, TIRDataBlock::SecondSymbolsOffset, capture, FrameSize + HeaderSize, HalfData);
    } else {
        copyFromCapture(block, TIRDataBlock::SymbolsOffset, capture, HeaderSize, 2 * HalfData);
    }
    block.setNameBytes(nameBytes);
    return block;
}

QList<QByteArray> transmissionWrites(const TIRDataBlock &block, bool alternation)
{
    if (block.at(TIRDataBlock::SecondHeaderOffset) == TIRFrameHeader::MarkerValid && alternation) {
        return {blockBytes(block, TIRDataBlock::SecondHeaderOffset, HeaderSize),
                blockBytes(block, TIRDataBlock::SecondSymbolsOffset, HalfData),
                blockBytes(block, TIRDataBlock::SymbolsOffset, HalfData)};
    }
    return {blockBytes(block, 0, HeaderSize), blockBytes(block, TIRDataBlock::SymbolsOffset, 2 * HalfData)};
}

} // namespace SignalLayout
