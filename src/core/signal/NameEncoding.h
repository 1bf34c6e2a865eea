#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// How the single-byte text of a key name in a block reads as characters.
// Blocks carry their names in the code page of the system that made them:
// Latin-1 on a Western system, GBK (code page 936) on a Chinese one. The
// bytes are the master copy; text is only ever made from them or checked
// into them, never replaced character by character.
class NameEncoding final
{
public:
    enum class Kind { Latin1, Gbk };

    explicit NameEncoding(Kind kind = Kind::Latin1);

    // Every kind, Latin-1 first.
    [[nodiscard]] static QList<Kind> kinds() { return {Kind::Latin1, Kind::Gbk}; }

    [[nodiscard]] Kind kind() const { return m_kind; }
    // "Latin-1" or "GBK": the word used in messages and in the names file.
    [[nodiscard]] QString label() const;
    // The kind whose label() is text (letter case aside).
    [[nodiscard]] static std::optional<Kind> fromLabel(const QString &text);

    // The text of name bytes. In GBK a byte pair that has no character, or a
    // lead byte with nothing after it, reads as U+FFFD.
    [[nodiscard]] QString decode(const QByteArray &bytes) const;

    // The bytes of name, at most maxBytes of them: a name that does not fit is
    // cut at a character boundary, so no character is split. A character the
    // encoding cannot hold (among those that fit) makes the whole name
    // refused: the result is empty and refusal receives a message naming it.
    [[nodiscard]] std::optional<QByteArray> encode(const QString &name, int maxBytes, QString *refusal) const;

    // encode(), except that a name that already reads as current gives
    // current back unchanged: a name the user did not change keeps its bytes,
    // even bytes that decode() cannot show exactly.
    [[nodiscard]] std::optional<QByteArray> encodeKeeping(const QString &name, const QByteArray &current, int maxBytes,
                                                          QString *refusal) const;

    friend bool operator==(const NameEncoding &, const NameEncoding &) = default;

private:
    [[nodiscard]] QByteArray encodeCharacter(const QString &character) const;

    Kind m_kind;
};
