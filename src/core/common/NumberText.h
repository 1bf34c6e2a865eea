#pragma once

#include <QString>

#include <optional>

// A whole number as users type it for addresses, commands, rows and masks:
// decimal, or hexadecimal after "0x" ("0X"). Spaces around it are ignored;
// signs, other bases and values past 32 bits are not numbers.
[[nodiscard]] inline std::optional<quint32> parseWholeNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.front() == QLatin1Char('+') || trimmed.front() == QLatin1Char('-'))
        return std::nullopt;
    const bool hex = trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    bool ok = false;
    const qulonglong value = hex ? trimmed.mid(2).toULongLong(&ok, 16) : trimmed.toULongLong(&ok, 10);
    if (!ok || value > 0xFFFFFFFFull)
        return std::nullopt;
    return quint32(value);
}
