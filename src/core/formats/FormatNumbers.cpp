#include "core/formats/FormatNumbers.h"

namespace FormatNumbers {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

std::optional<qint64> decimal(QStringView text)
{
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

std::optional<quint32> hex(QStringView text)
{
    if (text.isEmpty() || text.size() > 8)
        return std::nullopt;
    quint32 value = 0;
    for (const QChar c : text) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value << 4 | quint32(digit);
    }
    return value;
}

std::optional<quint32> number(QStringView text)
{
    if (text.startsWith(u"0x") || text.startsWith(u"0X"))
        return hex(text.mid(2));
    const std::optional<qint64> value = decimal(text);
    if (!value || *value > 0xFFFFFFFFLL)
        return std::nullopt;
    return quint32(*value);
}

} // namespace FormatNumbers
