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
    // Settings files are a few hundred bytes; a larger one is not read.
    static constexpr qint64 SizeLimit = 64 * 1024;

    // Reads the file at path; a missing file reads as empty. So does one
    // that cannot be read, is not a regular file or is larger than
    // SizeLimit: refusal then receives the reason.
    [[nodiscard]] static IniFile load(const QString &path, QString *refusal = nullptr);
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
