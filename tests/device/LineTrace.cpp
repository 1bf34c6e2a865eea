#include "LineTrace.h"

namespace {

QString stepText(SerialLink::LineStep step, qint64 value)
{
    switch (step) {
    case SerialLink::LineStep::Write:
        return QStringLiteral("write %1").arg(value);
    case SerialLink::LineStep::Drain:
        return value != 0 ? QStringLiteral("drain") : QStringLiteral("drop");
    case SerialLink::LineStep::Close:
        return QStringLiteral("close");
    case SerialLink::LineStep::Open:
        return QStringLiteral("open");
    case SerialLink::LineStep::SetRate:
        return QStringLiteral("rate %1").arg(value);
    }
    return QString();
}

} // namespace

LineTrace::LineTrace(SerialLink &link)
    : m_connection(QObject::connect(&link, &SerialLink::lineStep, &link,
                                    [this](SerialLink::LineStep step, qint64 value) {
                                        m_steps.append(stepText(step, value));
                                    }))
{
}

LineTrace::~LineTrace()
{
    QObject::disconnect(m_connection);
}

QStringList LineTrace::undrainedSwitches() const
{
    QStringList found;
    bool undrained = false;
    for (qsizetype i = 0; i < m_steps.size(); ++i) {
        const QString &step = m_steps.at(i);
        if (step.startsWith(QLatin1String("write ")))
            undrained = true;
        else if (step == QLatin1String("drain") || step == QLatin1String("drop"))
            undrained = false;
        else if (undrained && (step == QLatin1String("close") || step.startsWith(QLatin1String("rate "))))
            found.append(QStringLiteral("%1 %2").arg(i).arg(step));
    }
    return found;
}
