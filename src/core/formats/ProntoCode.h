#pragma once

#include "core/formats/CaptureDurations.h"
#include "core/formats/TimingNote.h"
#include "core/signal/IrCode.h"
#include "core/signal/IrResult.h"
#include "core/signal/IrTiming.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One Pronto Hex code: words of four hex digits. Word 0 is the kind (0000 a
// learned code, 0100 the same without a carrier, 5000 RC5 and 6000 RC6 by
// address and command), word 1 the frequency word N (carrier 4,145,146 / N Hz;
// durations count periods of it), words 2 and 3 the number of (mark, space)
// pairs sent once and repeated; then the pairs.
//
// A mark counts carrier periods just as a burst does, so a burst of n periods
// is a mark word n and reads back as n; spaces are rounded to periods of the
// frequency word. A capture maps to a code as once part = pulses before the repeated part,
// repeat part = the repeated part, when that part runs to the last pulse;
// otherwise every pulse goes into the once part and the repeated part into
// the repeat part too, and the timing note tells where it was.
class ProntoCode final
{
public:
    static constexpr qint64 FrequencyConstant = 4145146;
    // The frequency word of codes without a carrier: one period is 4.34 us,
    // about a gap tick of the module, and 65,535 of them hold its longest gap.
    static constexpr int UnmodulatedFrequencyWord = 0x12;

    // A code as read: a capture (learned codes) or a protocol code.
    struct Signal
    {
        std::optional<IrTiming> capture;
        std::optional<IrCode> code;
    };

    // The word of text, exactly four hex digits in either case.
    [[nodiscard]] static std::optional<quint16> word(const QString &text);
    [[nodiscard]] static bool isWord(const QString &text) { return word(text).has_value(); }
    // The number of words the code whose first four words are given holds.
    [[nodiscard]] static qint64 wordCount(const QList<quint16> &words);

    // The code's words (upper-case, separated by spaces) and the note it
    // needs; refused when a duration does not fit a word.
    struct Written
    {
        QString text;
        TimingNote note;
    };
    [[nodiscard]] static IrResult<Written> write(const IrTiming &capture, bool secondCapture);

    // The signal of a complete code (wordCount() words) with its note;
    // refused when its kind is not read or the module cannot hold it.
    [[nodiscard]] static IrResult<Signal> read(const QList<quint16> &words, const TimingNote &note);
    // The words of the text of a whole code ("0000 006D ..."); refused when a
    // word is not four hex digits or the pair counts call for another number.
    [[nodiscard]] static IrResult<QList<quint16>> words(const QString &text);
};
