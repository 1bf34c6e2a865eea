#include "core/device/SignalLayout.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int HeaderSize = CaptureHeader::Size;
constexpr int HalfData = 128;

void copyFromCapture(IrBlock &block, int to, const QByteArray &capture, int from, int length)
{
    const int available = std::clamp(int(capture.size()) - from, 0, length);
    std::memcpy(block.data() + to, capture.constData() + from, size_t(available));
}

QByteArray blockBytes(const IrBlock &block, int from, int length)
{
    return QByteArray(reinterpret_cast<const char *>(block.data() + from), length);
}

} // namespace

namespace SignalLayout {

int captureSize(quint8 irFormat)
{
    return irFormat == FormatRc5Rc6 ? 2 * FrameSize : FrameSize;
}

IrBlock blockFromCapture(const QByteArray &capture, quint8 irFormat, const QByteArray &nameBytes)
{
    IrBlock block;
    copyFromCapture(block, 0, capture, 0, HeaderSize);
    if (irFormat == FormatRc5Rc6) {
        copyFromCapture(block, IrBlock::SymbolsOffset, capture, HeaderSize, HalfData);
        copyFromCapture(block, IrBlock::SecondHeaderOffset, capture, FrameSize, HeaderSize);
        copyFromCapture(block, IrBlock::SecondSymbolsOffset, capture, FrameSize + HeaderSize, HalfData);
    } else {
        copyFromCapture(block, IrBlock::SymbolsOffset, capture, HeaderSize, 2 * HalfData);
    }
    block.setNameBytes(nameBytes);
    return block;
}

QList<QByteArray> transmissionWrites(const IrBlock &block, bool alternation)
{
    if (block.at(IrBlock::SecondHeaderOffset) == CaptureHeader::MarkerValid && alternation) {
        return {blockBytes(block, IrBlock::SecondHeaderOffset, HeaderSize),
                blockBytes(block, IrBlock::SecondSymbolsOffset, HalfData),
                blockBytes(block, IrBlock::SymbolsOffset, HalfData)};
    }
    return {blockBytes(block, 0, HeaderSize), blockBytes(block, IrBlock::SymbolsOffset, 2 * HalfData)};
}

} // namespace SignalLayout
