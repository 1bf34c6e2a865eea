#pragma once

#include "modsim/IrCapture.h"

#include <QByteArray>

// The module's encoding of one capture: a 75-byte header (marker 'r', carrier
// period in ticks of 1,844,000 Hz, repeat bounds, symbol count, a table of up
// to 16 distinct gap/burst pairs) followed by 256 bytes of 4-bit symbol
// indexes, even symbols in the low nibble. Multi-byte numbers are big-endian.
namespace CaptureEncoder {

constexpr int HeaderSize = 75;
constexpr int DataSize = 256;
constexpr int CaptureSize = HeaderSize + DataSize;
constexpr int TableEntries = 16;
constexpr int MaxSymbols = 2 * DataSize;
constexpr int ClockHz = 1844000;

// Ticks of the module's clock per carrier period, 0 for no carrier.
[[nodiscard]] int carrierPeriod(int carrierHz);

// 331 bytes. Durations are rounded to the nearest unit: gaps in 9600/2212 us,
// bursts in carrier periods. When a capture has more than 16 distinct pairs,
// the extra ones take the nearest table entry, as the module's table is full;
// symbols beyond 512 are dropped.
[[nodiscard]] QByteArray encode(const IrCapture &capture);

} // namespace CaptureEncoder
