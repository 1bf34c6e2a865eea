#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// What every harness needs around the code it feeds.
namespace FuzzSupport {

// Starts the Qt application once: a QGuiApplication on the offscreen
// platform when gui (fonts for the waveform's labels), else a
// QCoreApplication. Qt's own messages are not printed: they would slow the
// fuzzer down, and a finding is a crash, not a warning.
void startApplication(int *argc, char ***argv, bool gui);

// A folder of the harness's own for the files it writes, on a memory file
// system where there is one (every Save syncs its file).
[[nodiscard]] QString workFolder();

[[nodiscard]] inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// Stops the run as a finding: a property of the code under test failed.
[[noreturn]] void finding(const char *what);

} // namespace FuzzSupport
