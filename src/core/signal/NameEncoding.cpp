#include "core/signal/NameEncoding.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

namespace {

constexpr char GbkName[] = "GBK";
constexpr QChar Unreadable = QChar::ReplacementCharacter;

// The characters of text one by one, a surrogate pair counting as one.
QStringList characters(const QString &text)
{
    QStringList list;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        list.append(text.mid(i, pair ? 2 : 1));
        if (pair)
            ++i;
    }
    return list;
}

// One character from the count bytes at from, or nothing when they are not
// exactly one character.
QString gbkCharacter(QStringDecoder &decoder, const QByteArray &bytes, qsizetype from, qsizetype count)
{
    decoder.resetState();
    const QString text = decoder.decode(QByteArrayView(bytes).sliced(from, count));
    if (decoder.hasError() || characters(text).size() != 1)
        return {};
    return text;
}

QString decodeGbk(const QByteArray &bytes)
{
    QStringDecoder decoder(GbkName, QStringConverter::Flag::Stateless);
    QString text;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto byte = uchar(bytes.at(i));
        if (byte < 0x80) {
            text.append(QLatin1Char(char(byte)));
            ++i;
            continue;
        }
        if (i + 1 < bytes.size()) {
            const QString pair = gbkCharacter(decoder, bytes, i, 2);
            if (!pair.isEmpty()) {
                text.append(pair);
                i += 2;
                continue;
            }
        }
        const QString single = gbkCharacter(decoder, bytes, i, 1);
        text.append(single.isEmpty() ? QString(Unreadable) : single);
        ++i;
    }
    return text;
}

} // namespace

NameEncoding::NameEncoding(Kind kind)
    : m_kind(kind)
{
}

QString NameEncoding::label() const
{
    return m_kind == Kind::Gbk ? QStringLiteral("GBK") : QStringLiteral("Latin-1");
}

std::optional<NameEncoding::Kind> NameEncoding::fromLabel(const QString &text)
{
    for (Kind kind : kinds()) {
        if (text.compare(NameEncoding(kind).label(), Qt::CaseInsensitive) == 0)
            return kind;
    }
    return std::nullopt;
}

QString NameEncoding::decode(const QByteArray &bytes) const
{
    return m_kind == Kind::Gbk ? decodeGbk(bytes) : QString::fromLatin1(bytes);
}

// The bytes of one character, or nothing when the encoding has none that
// read back as that very character (no best-fit stand-ins).
QByteArray NameEncoding::encodeCharacter(const QString &character) const
{
    if (m_kind == Kind::Latin1) {
        if (character.size() != 1 || character.at(0).unicode() > 0xFF)
            return {};
        return character.toLatin1();
    }
    QStringEncoder encoder(GbkName, QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(character);
    if (encoder.hasError() || bytes.isEmpty() || decode(bytes) != character)
        return {};
    return bytes;
}

std::optional<QByteArray> NameEncoding::encode(const QString &name, int maxBytes, QString *refusal) const
{
    QByteArray bytes;
    for (const QString &character : characters(name)) {
        if (bytes.size() >= maxBytes)
            break;
        const QByteArray encoded = encodeCharacter(character);
        if (encoded.isEmpty()) {
            if (refusal) {
                *refusal = QStringLiteral("The character '%1' cannot be stored in a key name in %2.")
                               .arg(character, label());
            }
            return std::nullopt;
        }
        if (bytes.size() + encoded.size() > maxBytes)
            break;
        bytes += encoded;
    }
    return bytes;
}

std::optional<QByteArray> NameEncoding::encodeKeeping(const QString &name, const QByteArray &current, int maxBytes,
                                                      QString *refusal) const
{
    if (current.size() <= maxBytes && decode(current) == name)
        return current;
    return encode(name, maxBytes, refusal);
}
