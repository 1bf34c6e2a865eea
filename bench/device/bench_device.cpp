// Figures of the device link: CPU used while the program waits on the line,
// the SEND round trip, and the EEPROM transfers against the module simulator,
// first with an instant line and then at real 115200 baud wire time, each
// beside a plain blocking client on the same simulator.
// Usage: bench_device [runs]   (default 3; medians are printed)

#include "core/common/Prompt.h"
#include "core/device/EepromTransfer.h"
#include "core/device/Frames.h"
#include "core/device/LearnHost.h"
#include "core/device/LearnRun.h"
#include "core/device/SendExchange.h"
#include "core/device/SerialLink.h"
#include "modsim/ModuleSimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace {

QTextStream out(stdout);

// Says Yes to the transfer questions and prints any notice.
class BenchPrompt final : public Prompt
{
public:
    void notice(const QString &title, const QString &text) override { out << "  [" << title << "] " << text << Qt::endl; }
    bool askYesNo(const QString &, const QString &) override { return true; }
    Answer askYesNoCancel(const QString &, const QString &) override { return Answer::Yes; }
    QString openFileName(const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &) override { return {}; }
};

class OneRowHost final : public LearnHost
{
public:
    void detachRowChangeHook() override {}
    void attachRowChangeHook() override {}
    QList<int> selectedRows() override { return {1}; }
    void makeCurrent(int) override {}
    QByteArray currentNameBytes() override { return "Bench"; }
    void storeBlock(const IrBlock &) override {}
    void drawWave(bool) override {}
    void scrollWaveToStart() override {}
    void setCapturing(bool) override {}
};

// CPU seconds of the calling thread (the program's thread) and of the process.
double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Wall time and CPU time of the program's thread for one call.
struct Measure
{
    double wallMs = 0;
    double cpuMs = 0;
};

template<typename F>
Measure measure(F &&work)
{
    QElapsedTimer clock;
    const double cpu = cpuSeconds(RUSAGE_THREAD);
    clock.start();
    work();
    return {double(clock.nsecsElapsed()) / 1e6, (cpuSeconds(RUSAGE_THREAD) - cpu) * 1000};
}

// A simulator in its own thread behind "<dir>/<name>", and the link opened on it.
struct Bench
{
    Bench(const QString &directory, const QString &name, const SimulatorSettings &settings)
        : link(prompt)
    {
        simulator.setSettings(settings);
        if (!simulator.startInThread(directory + QLatin1Char('/') + name))
            qFatal("simulator: %s", qPrintable(simulator.errorString()));
        link.setPortDirectory(directory);
        link.choosePort(name);
    }

    BenchPrompt prompt;
    ModuleSimulator simulator;
    SerialLink link;
};

Measure medianOf(const QList<Measure> &runs)
{
    QList<double> wall;
    QList<double> cpu;
    for (const Measure &m : runs) {
        wall.append(m.wallMs);
        cpu.append(m.cpuMs);
    }
    return {median(wall), median(cpu)};
}

void report(const char *what, const QList<Measure> &runs, double budgetPercent = -1)
{
    const Measure m = medianOf(runs);
    out << QStringLiteral("%1: wall %2 ms, CPU of the program %3 ms")
               .arg(QLatin1String(what))
               .arg(m.wallMs, 0, 'f', 1)
               .arg(m.cpuMs, 0, 'f', 2);
    if (budgetPercent >= 0) {
        const double share = 100 * m.cpuMs / m.wallMs;
        out << QStringLiteral(" = %1 % of one core").arg(share, 0, 'f', 3)
            << (share < budgetPercent ? " [within " : " [OVER ") << budgetPercent << " %]";
    }
    out << Qt::endl;
}

void waits(const QString &directory, int runs)
{
    SimulatorSettings settings;
    settings.captureDelayMs = 10'000;
    Bench bench(directory, QStringLiteral("COM1"), settings);
    QList<Measure> timeouts;
    for (int i = 0; i < runs; ++i) {
        char byte = 0;
        timeouts.append(measure([&] { (void)bench.link.read(&byte, 1, 3); }));
    }
    report("read 3 s time-out", timeouts, 2);

    OneRowHost host;
    LearnRun learn(bench.link, bench.prompt, host);
    QList<Measure> captures;
    for (int i = 0; i < runs; ++i)
        captures.append(measure([&] { learn.learnOrStop({0, 1, 1}); }));
    report("learn with a 10 s capture wait (and the 1.2 s pause)", captures, 2);
}

void sendRoundTrip(const QString &directory, int runs)
{
    Bench bench(directory, QStringLiteral("COM2"), {});
    SendExchange send(bench.link, bench.prompt);
    QByteArray block(512, '\0');
    block[0] = 'r';
    QList<Measure> sends;
    QList<Measure> stops;
    for (int i = 0; i < 20 * runs; ++i) {
        sends.append(measure([&] { send.send(block, 0, 0xFF); }));
        stops.append(measure([&] {
            send.stop(0);
            char reply[SendExchange::StopReplySize];
            (void)bench.link.read(reply, SendExchange::StopReplySize, SendExchange::StopReplySeconds);
        }));
    }
    report("SEND round trip (frame, 50 ms reply pause, 'A', 331-byte block)", sends);
    report("STOP round trip (frame, 4-byte reply)", stops);
}

// The slave end driven with plain blocking POSIX calls and nothing else: the
// best this simulator allows, which tells the program's share of a transfer's
// time from the simulator's own pacing.
class PlainLine final
{
public:
    explicit PlainLine(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY))
    {
    }
    ~PlainLine() { ::close(m_fd); }
    PlainLine(const PlainLine &) = delete;
    PlainLine &operator=(const PlainLine &) = delete;

    void setSpeed(speed_t speed)
    {
        termios settings{};
        tcgetattr(m_fd, &settings);
        cfmakeraw(&settings);
        cfsetspeed(&settings, speed);
        tcsetattr(m_fd, TCSANOW, &settings);
    }
    void write(const char *bytes, int count)
    {
        for (int done = 0; done < count;) {
            const ssize_t n = ::write(m_fd, bytes + done, size_t(count - done));
            if (n <= 0)
                return;
            done += int(n);
        }
    }
    [[nodiscard]] bool read(char *bytes, int count)
    {
        for (int done = 0; done < count;) {
            pollfd fd{m_fd, POLLIN, 0};
            if (::poll(&fd, 1, EepromTransfer::AnswerSeconds * 1000) <= 0)
                return false;
            const ssize_t n = ::read(m_fd, bytes + done, size_t(count - done));
            if (n <= 0)
                return false;
            done += int(n);
        }
        return true;
    }

    // The command at 9600, given its wire time, then the bulk at 115200.
    void start(const QByteArray &command)
    {
        setSpeed(B9600);
        write(command.constData(), int(command.size()));
        std::this_thread::sleep_for(std::chrono::microseconds(command.size() * 10 * 1'000'000 / 9600));
        setSpeed(B115200);
    }

private:
    int m_fd;
};

double plainDownload(const QString &path, const QByteArray &image)
{
    QElapsedTimer clock;
    clock.start();
    PlainLine line(path);
    line.start(Frames::downloadAll(0));
    char answer = 0;
    for (int slot = 0; slot < EepromTransfer::SlotCount; ++slot) {
        for (int half = 0; half < 2; ++half) {
            line.write(image.constData() + slot * 512 + half * 256, 256);
            if (!line.read(&answer, 1))
                return -1;
        }
        line.write(&Frames::Continue, 1);
    }
    return double(clock.nsecsElapsed()) / 1e6;
}

double plainUpload(const QString &path)
{
    QElapsedTimer clock;
    clock.start();
    PlainLine line(path);
    line.start(Frames::uploadAll(0));
    char slot[512];
    if (!line.read(slot, 1))
        return -1;
    for (int j = 0; j < EepromTransfer::SlotCount; ++j) {
        if (!line.read(slot, 512))
            return -1;
        line.write(&Frames::Continue, 1);
    }
    return double(clock.nsecsElapsed()) / 1e6;
}

EepromTransfer::Callbacks transferCallbacks(const QByteArray &image)
{
    EepromTransfer::Callbacks c;
    c.slotSource = [&image](int slot) { return image.mid(slot * 512, 512); };
    c.slotSink = [](int, const QByteArray &) {};
    c.progress = [](int) {};
    c.stillRunning = [] { return true; };
    c.begin = [](const QString &) {};
    c.end = [] {};
    return c;
}

void transfers(const QString &directory, int runs, bool paced)
{
    SimulatorSettings settings;
    settings.paced = paced;
    Bench bench(directory, QStringLiteral("COM3"), settings);
    const QByteArray image(EepromTransfer::SlotCount * 512, 'x');
    const EepromTransfer::Callbacks callbacks = transferCallbacks(image);
    QList<Measure> downloads;
    QList<Measure> uploads;
    QList<double> plainDownloads;
    QList<double> plainUploads;
    for (int i = 0; i < runs; ++i) {
        downloads.append(measure([&] { EepromTransfer::download(bench.link, bench.prompt, 0, callbacks); }));
        uploads.append(measure([&] { EepromTransfer::upload(bench.link, bench.prompt, 0, callbacks); }));
        bench.link.closePort();
        plainDownloads.append(plainDownload(bench.simulator.slavePath(), image));
        plainUploads.append(plainUpload(bench.simulator.slavePath()));
        bench.link.open(bench.link.portName());
    }
    const char *line = paced ? "115200 baud wire time" : "instant line";
    for (const auto &[name, list, plain] :
         {std::tuple{"download", downloads, plainDownloads}, std::tuple{"upload", uploads, plainUploads}}) {
        const Measure m = medianOf(list);
        out << QStringLiteral("%1 of 512 slots, %2: total %3 ms, per slot %4 ms wall, %5 ms CPU of the program")
                   .arg(QLatin1String(name), QLatin1String(line))
                   .arg(m.wallMs, 0, 'f', 1)
                   .arg(m.wallMs / 512, 0, 'f', 4)
                   .arg(m.cpuMs / 512, 0, 'f', 4)
            << Qt::endl;
        out << QStringLiteral("  plain blocking client on the same simulator: %1 ms; the program takes %2 % more")
                   .arg(median(plain), 0, 'f', 1)
                   .arg(100 * (m.wallMs - median(plain)) / median(plain), 0, 'f', 2)
            << Qt::endl;
        if (paced) {
            // Bytes on the line, 10 bits each: the command at 9600, then per slot
            // 512 data bytes, the answers and the 'U' at 115200.
            const bool download = QLatin1String(name) == QLatin1String("download");
            const double commandMs = (download ? 14 : 12) * 10 * 1000.0 / 9600;
            const double slotBytes = download ? 512 + 2 + 1 : 512 + 1;
            const double bulkMs = (EepromTransfer::SlotCount * slotBytes + (download ? 0 : 1)) * 10 * 1000.0 / 115200;
            const double limit = commandMs + bulkMs;
            out << QStringLiteral("  wire-time limit %1 ms; total is %2 % above it")
                       .arg(limit, 0, 'f', 1)
                       .arg(100 * (m.wallMs - limit) / limit, 0, 'f', 2)
                << Qt::endl;
        }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 3;
    QTemporaryDir directory;
    out << "bench_device: medians of " << runs << " runs" << Qt::endl;
    waits(directory.path(), runs);
    sendRoundTrip(directory.path(), runs);
    transfers(directory.path(), runs, false);
    transfers(directory.path(), runs, true);
    return 0;
}
