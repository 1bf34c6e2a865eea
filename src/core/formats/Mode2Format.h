#pragma once

#include "core/formats/CodedKey.h"
#include "core/signal/IrResult.h"

#include <QByteArray>
#include <QList>

// LIRC "mode2" text: one key as lines "pulse N" and "space N" (microseconds),
// with "carrier N" (Hz; 38,000 when none is given) and "timeout N" lines.
// Lines before the first pulse that are none of these (the tool's own
// messages) are skipped, so are the silences before the first pulse and
// after the last; neighbouring lines of one kind add up. Lines starting with
// '#' are comments (the remark, or a timing note). The text names no key.
class Mode2Format final
{
public:
    static constexpr int DefaultCarrierHz = 38000;

    [[nodiscard]] static IrResult<CodeFile> read(const QByteArray &bytes);
    // The first key only; any other is left out with a message.
    [[nodiscard]] static CodeFileOutput write(const QList<CodedKey> &keys);
    // Whether the text has "pulse N" or "space N" lines and nothing else
    // opens it (a Flipper or LIRC file).
    [[nodiscard]] static bool looksLike(const QByteArray &bytes);
};
