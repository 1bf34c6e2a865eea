#pragma once

#include "core/signal/IrCode.h"
#include "core/signal/IrTiming.h"
#include "core/signal/IrBlock.h"

#include <QRandomGenerator>

// Codes, jitter and checks shared by the signal tests.
namespace SignalSamples {

// A valid code of protocol with random address, command and toggle.
[[nodiscard]] IrCode randomCode(IrProtocol protocol, QRandomGenerator &random);

// Every mark and space (lead-in and lead-out too) scaled by a random factor
// within percent either way, then quantised again.
[[nodiscard]] IrTiming jittered(const IrTiming &timing, int percent, QRandomGenerator &random);

// The block with every duration-table entry (gap and burst) scaled by a
// random factor within percent either way: every duration of its signal is
// off, symbols that share an entry alike.
[[nodiscard]] IrBlock jitteredTable(IrBlock block, int percent, QRandomGenerator &random);

// Empty when the capture's first key press has the marks and spaces that
// encoding code gives, within the decoders' tolerance (silences between
// frames only need to be silences); else what differs.
[[nodiscard]] QString conformance(const IrTiming &capture, const IrCode &code);

} // namespace SignalSamples
