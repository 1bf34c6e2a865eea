#include "cli/CliProgram.h"

#include "cli/CliRun.h"
#include "cli/UsageError.h"
#include "core/common/ZoqError.h"

#include <QCommandLineParser>

#include <algorithm>

namespace {

const QString Program = QStringLiteral("zoq-cli");

bool isHelp(const QString &argument)
{
    return argument == QLatin1String("--help") || argument == QLatin1String("-h") || argument == QLatin1String("help");
}

// "--port PORT" for the help's option list.
QString optionSyntax(const QCommandLineOption &option)
{
    QString syntax = QStringLiteral("--") + option.names().first();
    if (!option.valueName().isEmpty())
        syntax += QLatin1Char(' ') + option.valueName();
    return syntax;
}

// text broken into lines of at most width characters, at spaces.
QString wrapped(const QString &text, int width = 78)
{
    QString result;
    int lineLength = 0;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (lineLength > 0 && lineLength + 1 + word.size() > width) {
            result += QLatin1Char('\n');
            lineLength = 0;
        } else if (lineLength > 0) {
            result += QLatin1Char(' ');
            ++lineLength;
        }
        result += word;
        lineLength += int(word.size());
    }
    return result;
}

void printTable(QTextStream &stream, const QList<std::pair<QString, QString>> &rows)
{
    qsizetype width = 0;
    for (const auto &[left, right] : rows)
        width = std::max(width, left.size());
    for (const auto &[left, right] : rows)
        stream << "  " << left.leftJustified(width) << "  " << right << '\n';
}

} // namespace

QList<CliCommand> allCliCommands()
{
    return {infoCommand(),     compileCommand(),  importBinCommand(), exportCommand(),
            importCommand(),   generateCommand(), downloadCommand(),  uploadCommand(),
            verifyCommand(),   sendCommand(),     stopCommand(),      learnCommand()};
}

CliProgram::CliProgram(QTextStream &out, QTextStream &err)
    : m_out(out)
    , m_err(err)
    , m_commands(allCliCommands())
{
}

int CliProgram::run(const QStringList &arguments)
{
    const QString name = arguments.value(1);
    if (name.isEmpty()) {
        printOverview(m_err);
        return Usage;
    }
    if (isHelp(name)) {
        const auto command = std::find_if(m_commands.cbegin(), m_commands.cend(),
                                          [&](const CliCommand &c) { return c.name == arguments.value(2); });
        if (command != m_commands.cend())
            printHelp(*command);
        else
            printOverview(m_out);
        return Done;
    }
    for (const CliCommand &command : std::as_const(m_commands)) {
        if (command.name == name)
            return runCommand(command, arguments.mid(2));
    }
    m_err << Program << ": unknown command '" << name << "'\n\n";
    printOverview(m_err);
    return Usage;
}

int CliProgram::runCommand(const CliCommand &command, const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("This help."));
    parser.addOption(help);
    parser.addOptions(command.options);
    const auto usage = [&](const QString &message) {
        m_err << Program << ' ' << command.name << ": " << message << "\nUsage: " << Program << ' '
              << command.synopsis << "\n(" << Program << ' ' << command.name << " --help tells more)" << Qt::endl;
        return Usage;
    };
    if (!parser.parse(QStringList{Program} + arguments))
        return usage(parser.errorText());
    if (parser.isSet(help)) {
        printHelp(command);
        return Done;
    }
    const qsizetype given = parser.positionalArguments().size();
    const qsizetype required = std::count_if(command.arguments.cbegin(), command.arguments.cend(),
                                             [](const CliCommand::Argument &a) { return !a.optional; });
    if (given < required)
        return usage(QStringLiteral("%1 is missing").arg(command.arguments.at(given).name));
    if (given > command.arguments.size())
        return usage(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().at(command.arguments.size())));

    CliRun run(command, parser, m_out, m_err);
    try {
        command.run(run);
        m_out.flush();
        return Done;
    } catch (const UsageError &error) {
        return usage(error.message());
    } catch (const ZoqError &error) {
        run.tell(error.message());
    } catch (const std::exception &error) {
        run.tell(QString::fromLocal8Bit(error.what()));
    }
    m_out.flush();
    return Failed;
}

void CliProgram::printOverview(QTextStream &stream) const
{
    stream << "Usage: " << Program << " COMMAND [ARGUMENTS] [OPTIONS]\n\n"
           << "The code table of an IR learning module (.zoq documents, .bin images) and the module\n"
           << "itself, from a terminal or a script.\n\nCommands:\n";
    QList<std::pair<QString, QString>> rows;
    for (const CliCommand &command : m_commands)
        rows.append({command.name, command.summary});
    printTable(stream, rows);
    stream << "\n" << Program << " COMMAND --help describes a command. Exit codes: 0 done, 1 failed, 2 usage."
           << Qt::endl;
}

void CliProgram::printHelp(const CliCommand &command) const
{
    m_out << "Usage: " << Program << ' ' << command.synopsis << "\n\n" << wrapped(command.description) << "\n";
    QList<std::pair<QString, QString>> arguments;
    for (const CliCommand::Argument &argument : command.arguments)
        arguments.append({argument.name, argument.description});
    if (!arguments.isEmpty()) {
        m_out << "\nArguments:\n";
        printTable(m_out, arguments);
    }
    QList<std::pair<QString, QString>> options;
    for (const QCommandLineOption &option : command.options)
        options.append({optionSyntax(option), option.description()});
    options.append({QStringLiteral("--help"), QStringLiteral("This help.")});
    m_out << "\nOptions:\n";
    printTable(m_out, options);
    m_out.flush();
}
