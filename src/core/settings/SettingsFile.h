#pragma once

#include <QByteArray>
#include <QString>

class IniFile;

// "ZOQ.ini" beside the program: the five choices of the main window that
// survive a restart. Read once at start-up, written whole at every normal close.
namespace SettingsFile {

struct Settings
{
    int learnTime = 0;    // item index of the learn-time box, -1 = none selected
    int comPort = 0;      // item index of the COM box (8 = "Close"), -1 = none selected
    int moduleId = 0;     // item index of the module-ID box, -1 = none selected
    int irFormat = 1;     // 1 = "Normal", 2 = "RC5/RC6"
    int irPortMask = 255; // bit i = IR output port i

    friend bool operator==(const Settings &, const Settings &) = default;
};

// The program's directory followed by "ZOQ.ini".
[[nodiscard]] QString settingsPath();

// Missing file, section or key, or a value that is not an integer, gives the
// default of that value. The IR format comes back as 1 when the file holds 1
// and as 2 for any other number; the port mask keeps the low 8 bits. The three
// item indexes come back as stored: an index outside a box's range leaves
// that box without a selection. A file that is there but cannot be read (not
// a regular file, too large) also gives the defaults; refusal then receives
// the reason.
[[nodiscard]] Settings readSettings(const QString &path, QString *refusal = nullptr);
// The settings as readSettings() takes them from the file's text.
[[nodiscard]] Settings settingsFrom(const IniFile &ini);

// The whole file: eleven lines, each ending in CR LF.
[[nodiscard]] QByteArray settingsText(const Settings &settings);

// Replaces the file at path with settingsText(settings). The file is either
// fully replaced or left as it was; a failure throws ZoqError with the file
// system's text.
void writeSettings(const QString &path, const Settings &settings);

} // namespace SettingsFile
