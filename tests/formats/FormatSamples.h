#pragma once

#include "core/formats/CodedKey.h"
#include "core/signal/IrBlock.h"
#include "core/signal/IrTiming.h"

#include <QRandomGenerator>

// Captures like learned ones and the checks the format tests share.
namespace FormatSamples {

struct CaptureShape
{
    int carrierPeriod = 48;
    int symbols = 40;
    int repeatStart = 0;
    int repeatEnd = 0;
    quint16 leadInTicks = 0;
};

// A capture of the shape with random durations from at most 15 distinct
// (gap, burst) pairs besides the lead-in: gaps of 0.4 to 90 ms, bursts of 5
// to 400 carrier periods (0 without a carrier).
[[nodiscard]] IrTiming learnedCapture(const CaptureShape &shape, QRandomGenerator &random);

// Empty when actual is expected in the module's units: the same carrier
// period, repeat markers and number of symbols, every gap within gapTicks
// and every burst within burstPeriods; else the first difference.
[[nodiscard]] QString difference(const IrTiming &expected, const IrTiming &actual, int gapTicks, int burstPeriods);

// A key of the captures (named, with a remark) as export makes it.
[[nodiscard]] CodedKey keyOf(const QList<IrTiming> &captures, const QString &name, int row);

} // namespace FormatSamples
