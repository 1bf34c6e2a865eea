#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <cstdio>

// What a started program tells the start-up benchmark on its standard
// output: "stage <name> <ns>" on the monotonic clock, which the benchmark
// shares, and "rss <kB>" once its first frame is out.
namespace StartupReport {

inline void stage(const char *name)
{
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    std::printf("stage %s %lld\n", name, static_cast<long long>(ns));
    std::fflush(stdout);
}

// Resident memory from /proc/self/status, in kB.
inline long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Runs the event loop until the window is exposed: its first frame is
// painted while the exposure is handled.
inline void waitForFirstFrame(QWidget &window)
{
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
    stage("first frame");
    std::printf("rss %ld\n", residentKb());
    std::fflush(stdout);
}

} // namespace StartupReport
