#pragma once

#include "modsim/PseudoTerminal.h"
#include "modsim/SimulatorContext.h"
#include "modsim/SimulatorJournal.h"
#include "modsim/SimulatorSettings.h"

#include <QObject>
#include <QString>

class QThread;
class SimulatorEngine;

// A stand-in for the IR learning module at the far end of a pseudo-terminal.
// The program under test opens slavePath() (or the link) as its serial port.
//
// Served either from the caller's event loop (open(): the program's nested
// waits keep it going) or from a thread of its own (startInThread()). Settings,
// journal and EEPROM may be used from any thread; the signals arrive in the
// thread that created the simulator.
class ModuleSimulator final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ModuleSimulator)

public:
    explicit ModuleSimulator(QObject *parent = nullptr);
    ~ModuleSimulator() override;

    // Opens the pseudo-terminal, links it under linkPath when given (e.g.
    // "build/bin/COM1"; removed again by the destructor) and starts answering.
    // False, with the reason in errorString(), on failure. Once only.
    [[nodiscard]] bool open(const QString &linkPath = QString());
    [[nodiscard]] bool startInThread(const QString &linkPath = QString());
    // Stops answering and closes the line, as a module whose adapter is
    // pulled out: the program's port hangs up, and the link is left leading
    // nowhere (the destructor removes it). A new simulator may link the same
    // name again.
    void unplug();

    [[nodiscard]] QString slavePath() const { return m_terminal.slavePath(); }
    [[nodiscard]] QString linkPath() const { return m_terminal.linkPath(); }
    [[nodiscard]] QString errorString() const { return m_error; }
    // The rate the program has set on the line, 0 before open().
    [[nodiscard]] int baudRate() const { return m_terminal.baudRate(); }

    [[nodiscard]] SimulatorSettings settings() const { return m_context.settings(); }
    void setSettings(const SimulatorSettings &settings);
    void setFaults(const SimulatorFaults &faults);

    [[nodiscard]] SimulatorJournal journal() const { return m_context.journal(); }
    void clearJournal() { m_context.clearJournal(); }

    // The EEPROM is erased and in memory until a file is chosen; a missing file
    // is created erased. The calls return false and set errorString() on failure.
    [[nodiscard]] bool useEepromFile(const QString &path);
    [[nodiscard]] QByteArray eeprom() const { return m_context.eepromImage(); }
    [[nodiscard]] bool setEeprom(const QByteArray &image);
    [[nodiscard]] QByteArray eepromSlot(int index) const { return m_context.eepromSlot(index); }
    [[nodiscard]] bool setEepromSlot(int index, const QByteArray &data);

signals:
    void frameReceived(const QByteArray &frame);
    void blockTransmitted(const QByteArray &block, quint8 portMask);
    void transferFinished(const TransferRecord &transfer);
    // One line of the log: a frame received or what the module does.
    void message(const QString &text);

private:
    [[nodiscard]] bool openTerminal(const QString &linkPath);
    void createEngine();
    void stopEngine();

    SimulatorContext m_context;
    PseudoTerminal m_terminal;
    SimulatorEngine *m_engine = nullptr;
    QThread *m_thread = nullptr;
    QString m_error;
};
