#pragma once

#include <QChar>
#include <QStringView>

#include <optional>

// Numbers as the code formats write them: no sign, no blanks, no overflow.
namespace FormatNumbers {

// 0..15 for a hex digit of either case, else -1.
[[nodiscard]] int hexDigit(QChar c);
// Decimal digits only, at most 18 of them.
[[nodiscard]] std::optional<qint64> decimal(QStringView text);
// Hex digits only, at most 8 of them.
[[nodiscard]] std::optional<quint32> hex(QStringView text);
// Decimal, or hex after "0x" / "0X", within 32 bits.
[[nodiscard]] std::optional<quint32> number(QStringView text);

} // namespace FormatNumbers
