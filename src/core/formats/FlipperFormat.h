#pragma once

#include "core/formats/CodedKey.h"
#include "core/signal/IrResult.h"

#include <QByteArray>
#include <QList>

// Flipper Zero ".ir" files: "Filetype: IR signals file" (or "IR library
// file"), "Version: 1", then one signal per key, each opened by "name:".
// A signal is "type: parsed" with protocol, address and command (four hex
// bytes, lowest first), or "type: raw" with frequency (Hz), duty_cycle and
// data (microseconds, first a mark). Lines starting with '#' are comments;
// keys Flipper may add are skipped.
//
// Written: a key the decoders recognise in a protocol Flipper knows is
// parsed (Flipper rebuilds its timing), any other raw, at most 1,024
// durations (a longer key is left out with a message, never cut). The duty
// cycle is written as 0.33 and ignored when read: the module keeps none. A
// key without a carrier is written with duty_cycle 1 (the carrier always on),
// and a duty cycle of 1 reads as no carrier.
class FlipperFormat final
{
public:
    static constexpr int MaxDurations = 1024;

    [[nodiscard]] static IrResult<CodeFile> read(const QByteArray &bytes);
    [[nodiscard]] static CodeFileOutput write(const QList<CodedKey> &keys);
    // Whether the first line that is not blank or a comment names the file type.
    [[nodiscard]] static bool looksLike(const QByteArray &bytes);
};
