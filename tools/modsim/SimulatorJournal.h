#pragma once

#include "modsim/ModuleFrame.h"

#include <QByteArray>
#include <QList>

// A frame as received, and whether it carried this module's ID (ESC always does).
struct ReceivedFrame
{
    FrameKind kind = FrameKind::Escape;
    QByteArray bytes;
    bool addressed = false;
};

// A block handed over after SEND: the 331 bytes, and the ports it goes out on.
struct TransmittedBlock
{
    QByteArray bytes;
    quint8 portMask = 0;
};

enum class TransferKind
{
    Download,
    Upload,
};

enum class TransferOutcome
{
    Completed,   // all 512 slots and the final 'U'
    Cancelled,   // 'C' after a slot
    Silenced,    // the module fell silent on request
    TimedOut,    // the program went quiet
    WrongSpeed,  // bulk bytes, or the 'U' or 'C' after a slot, arrived or were due while the line was not at 115200
    Interrupted, // a byte other than 'U' or 'C' after a slot
};

struct TransferRecord
{
    TransferKind kind = TransferKind::Download;
    TransferOutcome outcome = TransferOutcome::Completed;
    int slotsMoved = 0;
};

struct SimulatorCounters
{
    int frames = 0;          // complete frames, any ID
    int framesForOthers = 0; // frames that carried another module ID
    int bytesReceived = 0;   // every byte read from the line
    int garbageBytes = 0;    // bytes dropped while looking for a frame
    int wrongRateBytes = 0;  // bytes ignored: sent at a rate the module was not listening at
    int learnAcks = 0;
    int captures = 0;       // capture replies sent (one or two captures each)
    int captureCancels = 0; // pending captures ended by ESC
    int sendReplies = 0;    // SEND frames answered as the faults say (silence included)
    int stops = 0;
    int slotsWritten = 0;
    int slotsSent = 0;
};

// What the module saw and did, for tests and the log.
struct SimulatorJournal
{
    QList<ReceivedFrame> frames;
    QList<TransmittedBlock> blocks;
    QList<TransferRecord> transfers;
    SimulatorCounters counters;
    bool transmitting = false; // a block is going out until STOP
};
