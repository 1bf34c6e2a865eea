#include "core/signal/IrDataText.h"

#include "core/signal/IrBlock.h"

#include <QIODevice>
#include <QRegularExpression>

namespace {

constexpr int BytesPerLine = 32;

[[nodiscard]] bool isSeparator(QChar c)
{
    return c == u' ' || c == u',' || c == u'\r' || c == u'\n';
}

// Digits in either case; no other letter is folded, so a character that is
// not a digit is reported as the file holds it.
[[nodiscard]] int hexValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    return -1;
}

// A control character would not show in the message: it is named by its code.
[[nodiscard]] QString invalidCharMessage(QChar c)
{
    const char16_t code = c.unicode();
    if (code < 0x20 || (code >= 0x7F && code < 0xA0))
        return QStringLiteral("Invalid char 0x") + QString::number(code, 16).rightJustified(2, u'0').toUpper();
    return QStringLiteral("Invalid char '%1'").arg(c);
}

[[nodiscard]] QString trimmedControls(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= u' ')
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= u' ')
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

bool parseHexBytes(const QString &text, int maxStored, QByteArray &bytes, int &count,
                   QString *errorMessage)
{
    QString withoutPrefixes = text;
    withoutPrefixes.remove(QStringLiteral("0x"), Qt::CaseInsensitive);
    const QString source = trimmedControls(withoutPrefixes);

    bytes.clear();
    count = 0;
    // A zero character ends the text.
    qsizetype end = source.indexOf(QChar(0));
    if (end < 0)
        end = source.size();
    const auto fail = [errorMessage](QChar c) {
        if (errorMessage)
            *errorMessage = invalidCharMessage(c);
        return false;
    };

    for (qsizetype i = 0; i < end; ++i) {
        const QChar c = source.at(i);
        if (isSeparator(c))
            continue;
        int value = hexValue(c);
        if (value < 0)
            return fail(c);
        if (i + 1 < end) {
            const QChar next = source.at(i + 1);
            const int low = hexValue(next);
            if (low >= 0) {
                value = value * 16 + low;
                ++i;
            } else if (!isSeparator(next)) {
                return fail(next);
            }
        }
        if (count < maxStored)
            bytes.append(static_cast<char>(value));
        ++count;
    }
    return true;
}

bool parseHexText(const QString &text, QByteArray &bytes, int &count, QString *errorMessage)
{
    return parseHexBytes(text, IrBlock::Size, bytes, count, errorMessage);
}

QByteArray irDataText(const QByteArray &block512)
{
    const QByteArray block = block512.left(IrBlock::Size);
    QByteArray text;
    text.reserve(block.size() * 3 + block.size() / BytesPerLine * 2);
    for (qsizetype line = 0; line < block.size(); line += BytesPerLine)
        text += block.mid(line, BytesPerLine).toHex(' ').toUpper() + " \r\n";
    return text;
}

QString hexBytesText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

std::optional<QString> irDataFileText(QIODevice &device, QString *refusal)
{
    const auto refuse = [refusal](const QString &why) -> std::optional<QString> {
        if (refusal)
            *refusal = why;
        return std::nullopt;
    };
    // One byte more than the limit tells an oversized file even where the
    // device cannot report its size.
    const QByteArray content = device.read(IrDataTextFileLimit + 1);
    if (content.size() > IrDataTextFileLimit)
        return refuse(QStringLiteral("Invalid IR data file! It is larger than 1 MB."));

    // Editors that save UTF-8 may put a byte-order mark first; it is no part of the data.
    const QByteArray byteOrderMark("\xEF\xBB\xBF");
    const qsizetype start = content.startsWith(byteOrderMark) ? byteOrderMark.size() : 0;
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = QString::fromLatin1(content.mid(start)).split(lineBreak);
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines.join(QStringLiteral("\r\n"));
}
