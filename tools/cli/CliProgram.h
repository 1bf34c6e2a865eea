#pragma once

#include "cli/CliCommand.h"

#include <QStringList>
#include <QTextStream>

// zoq-cli: picks the command named by the first argument, parses the rest of
// the command line for it and runs it. Exit codes: 0 done, 1 failed (the
// reason on stderr), 2 a command line it cannot act on.
class CliProgram final
{
public:
    enum ExitCode { Done = 0, Failed = 1, Usage = 2 };

    CliProgram(QTextStream &out, QTextStream &err);

    // arguments as QCoreApplication::arguments() gives them, the program first.
    [[nodiscard]] int run(const QStringList &arguments);

private:
    [[nodiscard]] int runCommand(const CliCommand &command, const QStringList &arguments);
    void printOverview(QTextStream &stream) const;
    void printHelp(const CliCommand &command) const;

    QTextStream &m_out;
    QTextStream &m_err;
    QList<CliCommand> m_commands;
};
