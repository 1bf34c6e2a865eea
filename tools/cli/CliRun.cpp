#include "cli/CliRun.h"

#include "cli/CliCommand.h"
#include "cli/UsageError.h"
#include "core/common/NumberText.h"

#include <unistd.h>

CliRun::CliRun(const CliCommand &command, const QCommandLineParser &parser, QTextStream &out, QTextStream &err)
    : m_command(command)
    , m_parser(parser)
    , m_out(out)
    , m_err(err)
{
}

QString CliRun::argument(int i) const
{
    return m_parser.positionalArguments().value(i);
}

bool CliRun::isSet(const QString &option) const
{
    return m_parser.isSet(option);
}

QString CliRun::value(const QString &option) const
{
    return m_parser.value(option);
}

QString CliRun::required(const QString &option) const
{
    if (!m_parser.isSet(option))
        throw UsageError(QStringLiteral("--%1 is required").arg(option));
    return m_parser.value(option);
}

quint32 CliRun::number(const QString &option, quint32 low, quint32 high, std::optional<quint32> fallback) const
{
    if (!m_parser.isSet(option) && fallback)
        return *fallback;
    const QString text = required(option);
    const std::optional<quint32> value = parseWholeNumber(text);
    if (!value || *value < low || *value > high)
        throw UsageError(QStringLiteral("--%1 takes a number from %2 to %3, not '%4'")
                             .arg(option, QString::number(low), QString::number(high), text));
    return *value;
}

CliRun::Rows CliRun::rows(const QString &option, const QString &text, int rowCount)
{
    const QStringList ends = text.split(QLatin1Char('-'));
    std::optional<quint32> first = parseWholeNumber(ends.value(0));
    std::optional<quint32> last = ends.size() == 2 ? parseWholeNumber(ends.value(1)) : first;
    if (ends.size() > 2 || !first || !last || *first < 1 || *last < *first || *last > quint32(rowCount))
        throw UsageError(QStringLiteral("--%1 takes a row or a range of rows A-B within 1-%2, not '%3'")
                             .arg(option, QString::number(rowCount), text));
    return {int(*first), int(*last)};
}

bool CliRun::stderrIsTerminal() const
{
    return ::isatty(STDERR_FILENO) == 1;
}

void CliRun::tell(const QString &text)
{
    m_err << "zoq-cli " << m_command.name << ": " << text << Qt::endl;
}
