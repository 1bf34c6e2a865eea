#include "core/formats/CaptureDurations.h"

QList<qint64> CaptureDurations::of(const IrTiming &capture)
{
    QList<qint64> result;
    const QList<IrTiming::Pulse> pulses = capture.pulses();
    result.reserve(2 * pulses.size());
    for (const IrTiming::Pulse &pulse : pulses) {
        result.append(pulse.markUs);
        result.append(pulse.spaceUs);
    }
    if (!result.isEmpty())
        result.removeLast();
    return result;
}

IrResult<IrTiming> CaptureDurations::capture(int carrierHz, const QList<qint64> &durations, Repeat native,
                                             const TimingNote &note)
{
    if (durations.isEmpty())
        return IrResult<IrTiming>::refused(QStringLiteral("the code holds no marks"));
    // Far past the longest gap the module holds (284 ms); refused before any
    // arithmetic on it.
    constexpr qint64 LongestUs = 10000000;
    for (const qint64 us : durations) {
        if (us > LongestUs)
            return IrResult<IrTiming>::refused(
                QStringLiteral("a duration of %1 us is longer than any the module holds").arg(us));
    }
    QList<IrTiming::Pulse> pulses;
    pulses.reserve((durations.size() + 1) / 2);
    for (qsizetype i = 0; i < durations.size(); i += 2)
        pulses.append({durations.at(i), i + 1 < durations.size() ? durations.at(i + 1) : 0});
    const Repeat repeat = note.repeat ? Repeat{note.repeat->first, note.repeat->second} : native;
    return IrTiming::fromMicros(carrierHz, pulses, repeat.start, repeat.end, note.leadInUs);
}

TimingNote CaptureDurations::noteFor(const IrTiming &capture, Repeat native, bool secondCapture)
{
    TimingNote note;
    note.secondCapture = secondCapture;
    note.leadInUs = capture.leadInMicros();
    const Repeat actual{capture.repeatStart(), capture.repeatEnd()};
    const bool withinPulses = 0 <= actual.start && actual.start <= actual.end && actual.end <= capture.size();
    if (withinPulses && actual != native)
        note.repeat = std::make_pair(actual.start, actual.end);
    return note;
}
