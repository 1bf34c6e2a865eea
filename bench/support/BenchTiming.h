#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QTextStream>

#include <algorithm>
#include <functional>

// Timing helpers shared by the benchmark programs: they print medians.
namespace BenchTiming {

[[nodiscard]] inline double elapsedMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

[[nodiscard]] inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// Median of runs timed runs of work, in milliseconds.
[[nodiscard]] inline double medianMs(int runs, const std::function<void()> &work)
{
    QList<double> times;
    for (int run = 0; run < runs; ++run)
        times.append(elapsedMs(work));
    return median(times);
}

inline void report(const QString &what, double ms, qsizetype runs, int decimals = 3)
{
    QTextStream(stdout) << what << QStringLiteral(": median %1 ms over %2 runs\n").arg(ms, 0, 'f', decimals).arg(runs);
}

// Times runs runs of work and prints the median under what.
inline void timeAndReport(const char *what, int runs, const std::function<void()> &work)
{
    report(QLatin1String(what), medianMs(runs, work), runs);
}

} // namespace BenchTiming
