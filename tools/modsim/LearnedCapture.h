#pragma once

#include "core/signal/IrResult.h"
#include "modsim/IrKey.h"

#include <QByteArray>

// What the module sends back for a learned key, built by the same encoders
// that make codes from protocol parameters: per capture its 75-byte header and
// 256 symbol bytes (331 bytes). In RC5/RC6 format the module takes the key
// twice (662 bytes); for a protocol with a toggle the second press has the
// other toggle value.
namespace LearnedCapture {

constexpr int HeaderSize = 75;
constexpr int DataSize = 256;
constexpr int CaptureSize = HeaderSize + DataSize;

// Refused when the key's address or command is out of its protocol's range.
[[nodiscard]] IrResult<QByteArray> bytes(const IrKey &key, int irFormat);

} // namespace LearnedCapture
