#pragma once

#include "core/device/SerialLink.h"

#include <QCommandLineOption>
#include <QList>
#include <QObject>

#include <functional>
#include <memory>

class CliRun;
class StopSignals;

// The serial line of a module command: the port named by --port ("COM1" to
// "COM8", resolved as the window resolves them: links, then the user's
// assignments, then /dev/ttyS0-7; or a device path) opened at 9600 baud, the module ID of --id, and Ctrl+C.
// SIGINT (and SIGTERM) do not end the process while the line is open: they
// are a stop request, which the exchange in progress honours the way the
// window's Stop or Cancel does (a transfer completes its slot, tells the
// module and goes back to 9600).
class ModuleLine final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ModuleLine)

public:
    // --port and --id, for the commands that talk to the module.
    [[nodiscard]] static QList<QCommandLineOption> options();

    // Opens the port of --port; throws ZoqError naming the port, the device
    // it resolved to and why it could not be opened.
    explicit ModuleLine(CliRun &run);
    ~ModuleLine() override;

    [[nodiscard]] SerialLink &link() { return *m_link; }
    [[nodiscard]] quint8 moduleId() const { return m_moduleId; }
    [[nodiscard]] const QString &portName() const { return m_portName; }

    [[nodiscard]] bool stopRequested() const { return m_stopRequested; }
    // Runs at the stop request, after stopRequested() has become true.
    void setOnStop(std::function<void()> onStop) { m_onStop = std::move(onStop); }
    // Runs events for ms milliseconds, or until the stop request.
    void waitUnlessStopped(int ms);

private:
    void open();
    void requestStop();

    CliRun &m_run;
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<StopSignals> m_stopSignals;
    QString m_portName;
    quint8 m_moduleId = 0;
    bool m_stopRequested = false;
    std::function<void()> m_onStop;
};
