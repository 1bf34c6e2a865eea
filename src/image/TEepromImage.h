#pragma once

#include "document/SlotCount.h"
#include "irsignal/TIRDataBlock.h"

#include <QtGlobal>

// The content of the module's EEPROM, as a ".bin" file and on the serial
// line: the block of every slot in slot order, with no header, trailer, count
// or checksum.
namespace TEepromImage {
inline constexpr int SlotSize = TIRDataBlock::Size;
inline constexpr int SlotCount = ::SlotCount;
inline constexpr qsizetype Size = qsizetype(SlotSize) * SlotCount; // 262,144 bytes
} // namespace TEepromImage
