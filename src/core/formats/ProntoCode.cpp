#include "core/formats/ProntoCode.h"

#include "core/formats/FormatNumbers.h"
#include "core/formats/TextLines.h"
#include "core/signal/IrTiming.h"

#include <numeric>

namespace {

constexpr quint16 Learned = 0x0000;
constexpr quint16 LearnedUnmodulated = 0x0100;
constexpr quint16 Rc5Code = 0x5000;
constexpr quint16 Rc6Code = 0x6000;
constexpr qint64 WordMax = 0xFFFF;
constexpr qint64 MicrosPerSecond = 1000000;

[[nodiscard]] qint64 rounded(qint64 numerator, qint64 denominator)
{
    return (numerator + denominator / 2) / denominator;
}

// Four upper-case hex digits; written for every word of every code.
[[nodiscard]] QString hexWord(qint64 value)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    QString word(4, QLatin1Char('0'));
    for (int i = 3; i >= 0; --i, value >>= 4)
        word[i] = QLatin1Char(Digits[value & 0xF]);
    return word;
}

// The frequency word whose period is closest to the module's carrier period:
// N = 4,145,146 / (1,844,000 / period).
[[nodiscard]] int frequencyWord(int carrierPeriod)
{
    if (carrierPeriod == 0)
        return ProntoCode::UnmodulatedFrequencyWord;
    return int(rounded(ProntoCode::FrequencyConstant * carrierPeriod, IrTiming::ClockHz));
}

// A mark of count carrier periods as the module times a burst of count
// periods: the model reads it back as exactly count.
[[nodiscard]] qint64 burstMicros(qint64 count, int carrierPeriod)
{
    return count * carrierPeriod * 1200 / 2212;
}

using Result = IrResult<ProntoCode::Signal>;

Result protocolCode(const QList<quint16> &words)
{
    if (words.at(2) != 0 || words.at(3) != 1) {
        return Result::refused(QStringLiteral("a %1 code holds one pair (address, command), not %2 and %3 pairs")
                                   .arg(hexWord(words.at(0)))
                                   .arg(words.at(2))
                                   .arg(words.at(3)));
    }
    IrCode code;
    code.address = words.at(4);
    code.command = words.at(5);
    if (words.at(0) == Rc5Code)
        code.protocol = code.command >= 0x40 ? IrProtocol::Rc5x : IrProtocol::Rc5;
    else
        code.protocol = IrProtocol::Rc6;
    const QString error = code.error();
    if (!error.isEmpty())
        return Result::refused(error);
    return ProntoCode::Signal{std::nullopt, code};
}

Result learnedCode(const QList<quint16> &words, const TimingNote &note)
{
    const qint64 frequency = words.at(1);
    if (frequency == 0)
        return Result::refused(QStringLiteral("its frequency word is 0000"));
    const bool modulated = words.at(0) == Learned;
    const IrResult<int> carrierPeriod =
        IrTiming::carrierPeriodFor(modulated ? int(rounded(ProntoCode::FrequencyConstant, frequency)) : 0);
    if (!carrierPeriod.isOk())
        return Result::refused(carrierPeriod.error());
    const int once = words.at(2);
    const int repeated = words.at(3);
    // With a repeat note the pairs sent once are the whole signal; the
    // repeat part repeats some of them.
    const int pairs = note.repeat ? once : once + repeated;
    QList<qint64> durations;
    durations.reserve(2 * pairs);
    for (int i = 0; i < 2 * pairs; ++i) {
        const qint64 count = words.at(4 + i);
        durations.append(i % 2 == 0 && modulated
                             ? burstMicros(count, carrierPeriod.value())
                             : rounded(count * frequency * MicrosPerSecond, ProntoCode::FrequencyConstant));
    }
    const CaptureDurations::Repeat native =
        repeated > 0 ? CaptureDurations::Repeat{once, once + repeated} : CaptureDurations::Repeat{};
    const IrResult<IrTiming> capture =
        CaptureDurations::capture(modulated ? IrTiming::ClockHz / carrierPeriod.value() : 0, durations, native, note);
    if (!capture.isOk())
        return Result::refused(capture.error());
    return ProntoCode::Signal{capture.value(), std::nullopt};
}

} // namespace

std::optional<quint16> ProntoCode::word(const QString &text)
{
    if (text.size() != 4)
        return std::nullopt;
    const std::optional<quint32> value = FormatNumbers::hex(text);
    if (!value)
        return std::nullopt;
    return quint16(*value);
}

qint64 ProntoCode::wordCount(const QList<quint16> &words)
{
    return 4 + 2 * (qint64(words.at(2)) + words.at(3));
}

IrResult<ProntoCode::Written> ProntoCode::write(const IrTiming &capture, bool secondCapture)
{
    using WriteResult = IrResult<Written>;
    const QList<IrTiming::Pulse> pulses = capture.pulses();
    const int count = int(pulses.size());
    if (count == 0)
        return WriteResult::refused(QStringLiteral("the capture holds no marks"));

    // The native split when the repeated part runs to the end; otherwise all
    // pulses once, the repeated part again, and a note.
    const bool splits = capture.hasRepeat() && capture.repeatEnd() == count;
    const int onceCount = splits ? capture.repeatStart() : count;
    int repeatedCount = 0;
    if (splits)
        repeatedCount = count - onceCount;
    else if (capture.hasRepeat())
        repeatedCount = capture.repeatEnd() - capture.repeatStart();
    const CaptureDurations::Repeat native = repeatedCount == 0
        ? CaptureDurations::Repeat{}
        : CaptureDurations::Repeat{onceCount, onceCount + repeatedCount};

    const int frequency = frequencyWord(capture.carrierPeriod());
    QStringList words{hexWord(capture.carrierPeriod() == 0 ? LearnedUnmodulated : Learned), hexWord(frequency),
                      hexWord(onceCount), hexWord(repeatedCount)};
    // Periods of the frequency word; the refusal names mark (else the space
    // after it) i + 1.
    const auto periods = [&](qint64 us, int i, bool mark) -> IrResult<QString> {
        const qint64 value = rounded(us * FrequencyConstant, frequency * MicrosPerSecond);
        if (value > WordMax) {
            const QString what =
                mark ? QStringLiteral("mark %1").arg(i + 1) : QStringLiteral("the space after mark %1").arg(i + 1);
            return IrResult<QString>::refused(
                QStringLiteral("%1 of %2 us is %3 periods of the frequency word %4; a Pronto word holds at most %5")
                    .arg(what)
                    .arg(us)
                    .arg(value)
                    .arg(hexWord(frequency))
                    .arg(WordMax));
        }
        return hexWord(value);
    };
    // Marks count carrier periods, as bursts do: a burst's count is the
    // mark's word. Without a carrier a mark is its time in periods of the
    // frequency word.
    const int repeatFrom = splits ? onceCount : capture.repeatStart();
    QList<int> sent(onceCount);
    std::iota(sent.begin(), sent.end(), 0);
    for (int i = 0; i < repeatedCount; ++i)
        sent.append(repeatFrom + i);
    for (int n = 0; n < sent.size(); ++n) {
        const int i = sent.at(n);
        const IrResult<QString> mark = capture.carrierPeriod() == 0
            ? periods(pulses.at(i).markUs, i, true)
            : IrResult<QString>(hexWord(capture.symbols().at(i).burst));
        const IrResult<QString> space = periods(pulses.at(i).spaceUs, i, false);
        if (!mark.isOk() || !space.isOk())
            return WriteResult::refused(mark.isOk() ? space.error() : mark.error());
        words << mark.value() << space.value();
    }
    return Written{words.join(QLatin1Char(' ')), CaptureDurations::noteFor(capture, native, secondCapture)};
}

IrResult<ProntoCode::Signal> ProntoCode::read(const QList<quint16> &words, const TimingNote &note)
{
    switch (words.at(0)) {
    case Learned:
    case LearnedUnmodulated:
        return learnedCode(words, note);
    case Rc5Code:
    case Rc6Code:
        return protocolCode(words);
    default:
        return Result::refused(QStringLiteral("Pronto codes of kind %1 are not read (0000, 0100, 5000 and 6000 are)")
                                   .arg(hexWord(words.at(0))));
    }
}

IrResult<QList<quint16>> ProntoCode::words(const QString &text)
{
    using WordsResult = IrResult<QList<quint16>>;
    QList<quint16> result;
    for (const QString &token : TextLines::words(text)) {
        const std::optional<quint16> value = word(token);
        if (!value)
            return WordsResult::refused(
                QStringLiteral("'%1' is not a Pronto word (four hex digits)").arg(token.left(20)));
        result.append(*value);
    }
    if (result.size() < 4)
        return WordsResult::refused(
            QStringLiteral("a Pronto code has at least 4 words, this one %1").arg(result.size()));
    if (result.size() != wordCount(result)) {
        return WordsResult::refused(QStringLiteral("the code has %1 words; its pair counts call for %2")
                                        .arg(result.size())
                                        .arg(wordCount(result)));
    }
    return result;
}
