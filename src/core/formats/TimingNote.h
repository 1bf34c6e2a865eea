#pragma once

#include "core/signal/IrResult.h"

#include <QString>

#include <optional>
#include <utility>

// What a code format's own notation cannot say about a capture, so that a
// block written out and read back is the same block: the second capture of
// an RC5/RC6 block, a lead-in (silence before the first mark), and a
// repeated part the format has no place for. Text formats carry it as a
// comment before the code,
//   # ZOQ timing: second capture, lead-in 1200 us, repeat 34-36
// which other programs skip; CSV carries the items in a column of its own.
// "repeat A-B" means pulses A to B - 1.
struct TimingNote
{
    bool secondCapture = false;
    qint64 leadInUs = 0;
    std::optional<std::pair<int, int>> repeat;

    [[nodiscard]] bool isEmpty() const { return !secondCapture && leadInUs == 0 && !repeat; }
    // "second capture, lead-in 1200 us, repeat 34-36"; empty for an empty note.
    [[nodiscard]] QString items() const;
    // "ZOQ timing: " and the items.
    [[nodiscard]] QString comment() const;

    // The note of items as items() writes them; refused with the reason.
    [[nodiscard]] static IrResult<TimingNote> fromItems(const QString &items);
    // A comment's text (after '#'): no note when it does not start with
    // "ZOQ timing:", a refusal when what follows is not a note.
    [[nodiscard]] static IrResult<std::optional<TimingNote>> fromComment(const QString &text);
};
