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
