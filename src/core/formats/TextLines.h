#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The lines of a text file as the code formats read them. The bytes are
// UTF-8 (a byte-order mark is dropped), UTF-16 with its byte-order mark, or,
// when they are not valid UTF-8, Latin-1. Lines end in LF, CR LF or CR; line
// numbers count from 1.
class TextLines final
{
public:
    struct Line
    {
        int number = 0;
        QString text;
    };

    explicit TextLines(const QByteArray &bytes);

    [[nodiscard]] const QList<Line> &lines() const { return m_lines; }
    [[nodiscard]] const QString &text() const { return m_text; }

    // The text of bytes, decoded as above.
    [[nodiscard]] static QString decode(const QByteArray &bytes);
    // A line whose first character other than blanks is '#'.
    [[nodiscard]] static bool isComment(const QString &line);
    // The text after '#', trimmed.
    [[nodiscard]] static QString commentText(const QString &line);
    // Words separated by blanks.
    [[nodiscard]] static QStringList words(const QString &line);

    // The first line, trimmed, that is neither blank nor a comment; empty
    // when there is none.
    [[nodiscard]] QString firstContentLine() const;

    // Hands every line to take, which returns an error text (empty when it
    // took the line), and stops at the first error: "line <n>: <error>".
    // Empty when every line was taken.
    template <typename Take>
    [[nodiscard]] QString takeEach(Take &&take) const
    {
        for (const Line &line : m_lines) {
            const QString error = take(line);
            if (!error.isEmpty())
                return QStringLiteral("line %1: %2").arg(line.number).arg(error);
        }
        return {};
    }

private:
    QString m_text;
    QList<Line> m_lines;
};
