#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// A small reader of INI-format text: "[section]" lines and "key=value" lines.
// Section and key names are matched without regard to case; names and values
// are trimmed, and a value wrapped in a matching pair of single or double
// quotes loses them (ID="3" reads as 3). Lines starting with ';' and lines
// without '=' are ignored.
// When a key appears twice in a section the first one counts.
class IniFile final
{
public:
    // Reads the file at path; a missing or unreadable file reads as empty.
    [[nodiscard]] static IniFile load(const QString &path);
    // Bytes are taken as Latin-1, with CR LF or LF line ends.
    [[nodiscard]] static IniFile fromText(const QByteArray &text);

    [[nodiscard]] bool contains(const QString &section, const QString &key) const;
    [[nodiscard]] QString readString(const QString &section, const QString &key, const QString &defaultValue) const;
    // A decimal number with an optional sign, or a hexadecimal number after
    // "0x", "0X" or "$"; anything else (also a number beyond the int range)
    // yields defaultValue.
    [[nodiscard]] int readInteger(const QString &section, const QString &key, int defaultValue) const;

    [[nodiscard]] static int parseInteger(const QString &text, int defaultValue);

private:
    // section (lower case) -> key (lower case) -> value
    QHash<QString, QHash<QString, QString>> m_sections;
};
