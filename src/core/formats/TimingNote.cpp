#include "core/formats/TimingNote.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

const QString Prefix = QStringLiteral("ZOQ timing:");

} // namespace

QString TimingNote::items() const
{
    QStringList parts;
    if (secondCapture)
        parts.append(QStringLiteral("second capture"));
    if (leadInUs != 0)
        parts.append(QStringLiteral("lead-in %1 us").arg(leadInUs));
    if (repeat)
        parts.append(QStringLiteral("repeat %1-%2").arg(repeat->first).arg(repeat->second));
    return parts.join(QStringLiteral(", "));
}

QString TimingNote::comment() const
{
    return Prefix + QLatin1Char(' ') + items();
}

IrResult<TimingNote> TimingNote::fromItems(const QString &items)
{
    static const QRegularExpression leadIn(QStringLiteral("^lead-in (\\d{1,9}) us$"));
    static const QRegularExpression repeatPart(QStringLiteral("^repeat (\\d{1,5})-(\\d{1,5})$"));
    TimingNote note;
    for (const QString &part : items.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString item = part.simplified();
        if (item.compare(QLatin1String("second capture"), Qt::CaseInsensitive) == 0) {
            note.secondCapture = true;
        } else if (const QRegularExpressionMatch m = leadIn.match(item); m.hasMatch()) {
            note.leadInUs = m.captured(1).toLongLong();
        } else if (const QRegularExpressionMatch m = repeatPart.match(item); m.hasMatch()) {
            note.repeat = std::make_pair(m.captured(1).toInt(), m.captured(2).toInt());
        } else {
            return IrResult<TimingNote>::refused(
                QStringLiteral("'%1' is not a timing item (second capture, lead-in N us, repeat A-B)").arg(item));
        }
    }
    return note;
}

IrResult<std::optional<TimingNote>> TimingNote::fromComment(const QString &text)
{
    using Result = IrResult<std::optional<TimingNote>>;
    if (!text.startsWith(Prefix, Qt::CaseInsensitive))
        return std::optional<TimingNote>();
    const IrResult<TimingNote> note = fromItems(text.mid(Prefix.size()));
    if (!note.isOk())
        return Result::refused(note.error());
    return std::optional<TimingNote>(note.value());
}
