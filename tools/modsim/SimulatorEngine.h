#pragma once

#include "modsim/FrameReader.h"
#include "modsim/MasterPort.h"
#include "modsim/SimulatorJournal.h"
#include "modsim/SimulatorSettings.h"

#include <QObject>
#include <QTimer>

class PseudoTerminal;
class SimulatorContext;

// The module's side of the protocol: answers LEARN, ESC, SEND, STOP,
// DOWNLOADALL and UPLOADALL frames on the master end of the pseudo-terminal and
// runs the per-slot EEPROM exchange. Lives in one thread: the one that calls
// start() and owns the engine.
class SimulatorEngine final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SimulatorEngine)

public:
    SimulatorEngine(SimulatorContext &context, PseudoTerminal &terminal, QObject *parent = nullptr);

    void start();
    // Takes up settings that act on their own (pacing); the rest is read when needed.
    void applySettings();

signals:
    void frameReceived(const QByteArray &frame);
    void blockTransmitted(const QByteArray &block, quint8 portMask);
    void transferFinished(const TransferRecord &transfer);
    void message(const QString &text);

private:
    enum class Phase
    {
        Command,        // looking for frames
        Block,          // after 'A' to SEND: the 331 bytes to transmit
        SlotFirstHalf,  // download: bytes 0-255 of the slot
        SlotSecondHalf, // download: bytes 256-511
        SlotContinue,   // 'U' or 'C' after a slot
        UploadStart,    // upload: waiting for the line to reach 115200
        Mute,           // fallen silent on request: bulk bytes are swallowed
    };

    void consume(const QByteArray &bytes, int baud);
    [[nodiscard]] bool consumeByte(uchar byte, int baud);
    void readFrameByte(uchar byte);
    void handleFrame(const ModuleFrame &frame);

    void learn(const ModuleFrame &frame);
    void sendCapture();
    void escape();
    void acceptSend(const ModuleFrame &frame);
    void collectBlock(uchar byte);
    void stop(const ModuleFrame &frame);

    void beginTransfer(TransferKind kind);
    void collectHalfSlot(uchar byte);
    void continueOrCancel(uchar byte);
    void beginSlot();
    void pollUploadStart();
    void sendSlot();
    void fallSilent();
    void finishTransfer(TransferOutcome outcome, int slotsMoved);
    void phaseTimedOut();

    void enterPhase(Phase phase);
    [[nodiscard]] bool fallsSilentAt(bool secondHalf) const;
    void reply(const QByteArray &bytes, const QString &what);
    void say(const QString &text);

    SimulatorContext &m_context;
    MasterPort m_port;
    FrameReader m_reader;
    SimulatorSettings m_settings;
    QTimer m_captureTimer;
    QTimer m_phaseTimer;
    QTimer m_speedPoll;

    Phase m_phase = Phase::Command;
    QByteArray m_collected;
    QByteArray m_firstHalf;
    quint8 m_portMask = 0;
    int m_learnFormat = 1;
    TransferKind m_transfer = TransferKind::Download;
    int m_slot = 0;
};
