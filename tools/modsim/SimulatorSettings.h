#pragma once

#include "modsim/IrKey.h"

// How the module answers a SEND frame.
enum class SendReply
{
    Accept,   // 'A', then it takes the block
    Refuse,   // 'B'
    Garbage,  // one byte that is neither 'A' nor 'B'
    TwoBytes, // 'A' twice
    Silence,  // nothing
};

// Misbehaviour on request, to try the program's error paths.
struct SimulatorFaults
{
    bool noLearnAck = false; // LEARN gets neither acknowledgement nor capture
    SendReply sendReply = SendReply::Accept;
    // EEPROM transfer: the module falls silent at this slot (-1: never). In a
    // download the slot's first half gets no answer, in an upload the slot is
    // not sent. With silentAfterHalfSlot the download answers the first half
    // and not the second, the upload sends the first 256 bytes only.
    int silentAtSlot = -1;
    bool silentAfterHalfSlot = false;
    int captureExtraBytes = 0; // zero bytes sent after each capture
};

struct SimulatorSettings
{
    int moduleId = 0;
    IrKey key;
    // Time between the LEARN acknowledgement and the capture: the user aiming
    // the remote and pressing the key.
    int captureDelayMs = 300;
    // Bytes take their wire time both ways: 10 bits per byte at the line's rate.
    bool paced = false;
    // A block, an EEPROM transfer or the start of an upload is given up after
    // this long without a byte from the program.
    int phaseTimeoutMs = 3500;
    SimulatorFaults faults;
};
