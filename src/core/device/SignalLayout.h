#pragma once

#include "core/signal/IrBlock.h"

#include <QByteArray>
#include <QList>

// How the module's captures and transmissions map onto a IrBlock.
// A capture frame is a 75-byte header and 256 data bytes (331 bytes); an
// RC5/RC6 capture is two such frames back to back.
namespace SignalLayout {

inline constexpr quint8 FormatNormal = 1;
inline constexpr quint8 FormatRc5Rc6 = 2;
inline constexpr int FrameSize = 331;

// Bytes the module returns for one learned key in the given IR format.
[[nodiscard]] int captureSize(quint8 irFormat);

// A block built from a capture: header and data of the first frame; for
// RC5/RC6 also the second header at 128, and only the first 128 data bytes of
// each frame (at 256 and 384). The name bytes are written at 240, cut to 15
// and ended by a zero byte. Bytes beyond the capture size are ignored; a
// short capture leaves the missing bytes zero.
[[nodiscard]] IrBlock blockFromCapture(const QByteArray &capture, quint8 irFormat,
                                            const QByteArray &nameBytes);

// The writes that hand the module one capture of the block (331 bytes in
// all): for an RC5/RC6 block with alternation set, the second header with
// the second then the first data; otherwise the first header and bytes
// 256-511.
[[nodiscard]] QList<QByteArray> transmissionWrites(const IrBlock &block, bool alternation);

} // namespace SignalLayout
