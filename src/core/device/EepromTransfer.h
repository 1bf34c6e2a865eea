#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class Prompt;
class SerialLink;

// Download of the whole code table into the module's EEPROM and upload of it
// back, one 512-byte slot at a time at 115200 baud; every ending returns the
// line to 9600.
namespace EepromTransfer {

inline constexpr int SlotCount = 512;
inline constexpr int SlotSize = 512;
inline constexpr int AnswerSeconds = 3;

// Where a transfer that did not complete stopped, for callers that tell it in
// the module's terms.
struct Stop
{
    // The slot in progress (Cancelled: the last slot that went through); -1
    // when no slot was reached (upload: the command went unanswered).
    int slot = -1;
    // Download, NoDevice: the half of the slot (0 or 1) whose answer was missing.
    int half = -1;
    // Upload, TimedOut: bytes of the slot that had arrived.
    int received = 0;
};

// What the main window does around a transfer.
struct Callbacks
{
    // Download: the 512-byte slot j, built from row j (0xFF fill).
    std::function<QByteArray(int slot)> slotSource;
    // Upload: stores slot j into row j (byte 255 is already 0).
    std::function<void(int slot, const QByteArray &block)> slotSink;
    // Slot j went through: the position of the progress bar.
    std::function<void(int slot)> progress;
    // isRunning: false once the user closed the progress dialog.
    std::function<bool()> stillRunning;
    // Before the first slot: disable the window's controls, stop the grid
    // following and detach the row-change handler, show the progress dialog
    // with the label ("Downloading..." / "Uploading..."), go to the first row.
    std::function<void(const QString &label)> begin;
    // After the last slot, however the loop ended: undo all of begin, hide
    // the dialog and enable the controls.
    std::function<void()> end;
    // Optional: where a transfer that did not complete stopped, told as it
    // returns (the line is back at 9600 then).
    std::function<void(const Stop &stop)> stopped;
};

enum class Outcome {
    Refused,       // another exchange holds the line; nothing asked or sent
    Declined,      // the user answered No
    CommandFailed, // the command frame could not be written
    NoDevice,      // no answer (download) or no first byte (upload)
    TimedOut,      // upload: a slot did not arrive
    Cancelled,
    Completed,
};

Outcome download(SerialLink &link, Prompt &prompt, quint8 moduleId, const Callbacks &callbacks);
Outcome upload(SerialLink &link, Prompt &prompt, quint8 moduleId, const Callbacks &callbacks);

} // namespace EepromTransfer
