#include "core/settings/IniFile.h"

#include "core/common/SafeFile.h"
#include "core/common/ZoqError.h"

#include <QFileInfo>
#include <QList>

#include <algorithm>
#include <limits>

namespace {

[[nodiscard]] QString sectionName(QStringView line)
{
    if (line.size() < 2 || !line.startsWith(u'[') || !line.endsWith(u']'))
        return {};
    return line.mid(1, line.size() - 2).trimmed().toString().toLower();
}

// A value wrapped whole in a matching pair of quotes stands for what is
// inside them: ID="3" reads as 3.
[[nodiscard]] QStringView unquoted(QStringView value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

[[nodiscard]] bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

[[nodiscard]] int parseHex(QStringView digits, int defaultValue)
{
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), isHexDigit))
        return defaultValue;
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok, 16);
    if (!ok || value > std::numeric_limits<int>::max())
        return defaultValue;
    return static_cast<int>(value);
}

[[nodiscard]] int parseDecimal(QStringView text, int defaultValue)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : defaultValue;
}

} // namespace

IniFile IniFile::load(const QString &path, QString *refusal)
{
    if (!QFileInfo::exists(path))
        return {};
    try {
        return fromText(SafeFile::read(path, SizeLimit));
    } catch (const ZoqError &error) {
        if (refusal)
            *refusal = error.message();
        return {};
    }
}

IniFile IniFile::fromText(const QByteArray &text)
{
    IniFile ini;
    QHash<QString, QString> *current = nullptr;
    const QString all = QString::fromLatin1(text);
    for (QStringView line : QStringView(all).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            const QString name = sectionName(line);
            current = name.isEmpty() ? nullptr : &ini.m_sections[name];
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (current == nullptr || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed().toString().toLower();
        if (!key.isEmpty() && !current->contains(key))
            current->insert(key, unquoted(line.mid(eq + 1).trimmed()).toString());
    }
    return ini;
}

bool IniFile::contains(const QString &section, const QString &key) const
{
    const auto it = m_sections.constFind(section.toLower());
    return it != m_sections.cend() && it->contains(key.toLower());
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const auto it = m_sections.constFind(section.toLower());
    if (it == m_sections.cend())
        return defaultValue;
    return it->value(key.toLower(), defaultValue);
}

int IniFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    if (!contains(section, key))
        return defaultValue;
    return parseInteger(readString(section, key, QString()), defaultValue);
}

int IniFile::parseInteger(const QString &text, int defaultValue)
{
    const QStringView value = QStringView(text).trimmed();
    if (value.startsWith(u'$'))
        return parseHex(value.mid(1), defaultValue);
    if (value.startsWith(u"0x", Qt::CaseInsensitive))
        return parseHex(value.mid(2), defaultValue);
    return parseDecimal(value, defaultValue);
}
