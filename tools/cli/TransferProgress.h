#pragma once

#include <QElapsedTimer>
#include <QString>

class CliRun;

// How far an EEPROM transfer has come, on stderr: on a terminal a line
// redrawn as slots go through ("slot 38 of 512, 11.2 kB/s, 0:21 left");
// elsewhere (a log, a pipe) nothing until summary().
class TransferProgress final
{
public:
    static constexpr int SlotCount = 512;
    static constexpr int SlotBytes = 512;

    explicit TransferProgress(CliRun &run);

    // Slot slot (from 0) went through.
    void slotDone(int slot);
    // Clears the progress line of a terminal.
    void finish();
    // "512 slots in 23.1 s, 11.3 kB/s".
    [[nodiscard]] QString summary(int slotCount) const;

private:
    [[nodiscard]] double bytesPerSecond(int slotCount) const;

    CliRun &m_run;
    bool m_terminal;
    bool m_lineOpen = false;
    QElapsedTimer m_clock;
    qint64 m_lastDrawMs = -1;
};
