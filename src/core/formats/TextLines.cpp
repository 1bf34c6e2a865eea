#include "core/formats/TextLines.h"

#include <QStringDecoder>

TextLines::TextLines(const QByteArray &bytes)
    : m_text(decode(bytes))
{
    int number = 1;
    qsizetype start = 0;
    const qsizetype size = m_text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = m_text.at(i);
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            continue;
        m_lines.append({number++, m_text.mid(start, i - start)});
        if (c == QLatin1Char('\r') && i + 1 < size && m_text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < size)
        m_lines.append({number, m_text.mid(start)});
}

QString TextLines::decode(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                             QStringDecoder::Flag::Stateless);
        return utf16.decode(bytes.sliced(2));
    }
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(body);
    return utf8.hasError() ? QString::fromLatin1(body) : text;
}

bool TextLines::isComment(const QString &line)
{
    for (const QChar c : line) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t'))
            continue;
        return c == QLatin1Char('#');
    }
    return false;
}

QString TextLines::commentText(const QString &line)
{
    const qsizetype hash = line.indexOf(QLatin1Char('#'));
    return line.mid(hash + 1).trimmed();
}

QStringList TextLines::words(const QString &line)
{
    QStringList result;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        const bool blank = i == line.size() || line.at(i).isSpace();
        if (blank && start >= 0) {
            result.append(line.mid(start, i - start));
            start = -1;
        } else if (!blank && start < 0) {
            start = i;
        }
    }
    return result;
}

QString TextLines::firstContentLine() const
{
    for (const Line &line : m_lines) {
        const QString trimmed = line.text.trimmed();
        if (!trimmed.isEmpty() && !isComment(trimmed))
            return trimmed;
    }
    return {};
}
