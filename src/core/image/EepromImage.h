#pragma once

#include "core/document/SlotCount.h"
#include "core/signal/IrBlock.h"

#include <QtGlobal>

// The content of the module's EEPROM, as a ".bin" file and on the serial
// line: the block of every slot in slot order, with no header, trailer, count
// or checksum.
namespace EepromImage {
inline constexpr int SlotSize = IrBlock::Size;
inline constexpr int SlotCount = ::SlotCount;
inline constexpr qsizetype Size = qsizetype(SlotSize) * SlotCount; // 262,144 bytes
} // namespace EepromImage
