#include "FormatSamples.h"

namespace FormatSamples {

IrTiming learnedCapture(const CaptureShape &shape, QRandomGenerator &random)
{
    QList<IrDuration> entries;
    for (int i = 0; i < 15; ++i) {
        const quint16 gap = quint16(random.bounded(100, 20700));
        const quint16 burst = shape.carrierPeriod == 0 ? 0 : quint16(random.bounded(5, 401));
        entries.append({gap, burst});
    }
    QList<IrDuration> symbols;
    for (int i = 0; i < shape.symbols; ++i)
        symbols.append(entries.at(random.bounded(int(entries.size()))));
    if (!symbols.isEmpty())
        symbols.first().gap = shape.leadInTicks;
    return IrTiming(shape.carrierPeriod, symbols, shape.repeatStart, shape.repeatEnd);
}

QString difference(const IrTiming &expected, const IrTiming &actual, int gapTicks, int burstPeriods)
{
    if (actual.carrierPeriod() != expected.carrierPeriod())
        return QStringLiteral("carrier period %1, expected %2")
            .arg(actual.carrierPeriod())
            .arg(expected.carrierPeriod());
    if (actual.repeatStart() != expected.repeatStart() || actual.repeatEnd() != expected.repeatEnd()) {
        return QStringLiteral("repeat %1-%2, expected %3-%4")
            .arg(actual.repeatStart())
            .arg(actual.repeatEnd())
            .arg(expected.repeatStart())
            .arg(expected.repeatEnd());
    }
    if (actual.size() != expected.size())
        return QStringLiteral("%1 symbols, expected %2").arg(actual.size()).arg(expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const IrDuration want = expected.symbols().at(i);
        const IrDuration got = actual.symbols().at(i);
        if (qAbs(int(got.gap) - int(want.gap)) > gapTicks || qAbs(int(got.burst) - int(want.burst)) > burstPeriods) {
            return QStringLiteral("symbol %1 is (%2, %3), expected (%4, %5)")
                .arg(i)
                .arg(got.gap)
                .arg(got.burst)
                .arg(want.gap)
                .arg(want.burst);
        }
    }
    return {};
}

CodedKey keyOf(const QList<IrTiming> &captures, const QString &name, int row)
{
    CodedKey key;
    key.name = name;
    key.remark = QStringLiteral("remark of ") + name;
    key.captures = captures;
    key.row = row;
    return key;
}

} // namespace FormatSamples
