#include "core/formats/KeyPreamble.h"

QString KeyPreamble::take(const QString &comment)
{
    const IrResult<std::optional<TimingNote>> note = TimingNote::fromComment(comment);
    if (!note.isOk())
        return note.error();
    if (note.value())
        m_note = *note.value();
    else if (!comment.isEmpty())
        m_remark.append(comment);
    return {};
}

void KeyPreamble::clear()
{
    m_remark.clear();
    m_note = {};
}

QStringList KeyPreamble::lines(const QString &remark, const TimingNote &note)
{
    QStringList result;
    for (const QString &line : remark.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (!line.trimmed().isEmpty())
            result.append(QStringLiteral("# ") + line.trimmed());
    }
    if (!note.isEmpty())
        result.append(QStringLiteral("# ") + note.comment());
    return result;
}
