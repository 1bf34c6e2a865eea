#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>

#include <functional>

class CliRun;

// One sub-command of zoq-cli: what its help says and what it does. run
// throws UsageError for a command line it cannot act on (exit 2) and
// ZoqError when the work fails (exit 1, the message on stderr).
struct CliCommand
{
    struct Argument
    {
        QString name;        // "DOC.zoq"
        QString description;
        bool optional = false;
    };

    QString name;
    // "download DOC.zoq --port PORT [--id N]"
    QString synopsis;
    QString summary;         // one line for the list of commands
    QString description;     // the paragraph of its --help
    QList<Argument> arguments;
    QList<QCommandLineOption> options;
    std::function<void(CliRun &run)> run;
};

// The commands, in the order the help lists them.
[[nodiscard]] QList<CliCommand> allCliCommands();

// Makers of the commands, one file each (or one file per family).
[[nodiscard]] CliCommand infoCommand();
[[nodiscard]] CliCommand compileCommand();
[[nodiscard]] CliCommand importBinCommand();
[[nodiscard]] CliCommand exportCommand();
[[nodiscard]] CliCommand importCommand();
[[nodiscard]] CliCommand generateCommand();
[[nodiscard]] CliCommand downloadCommand();
[[nodiscard]] CliCommand uploadCommand();
[[nodiscard]] CliCommand verifyCommand();
[[nodiscard]] CliCommand sendCommand();
[[nodiscard]] CliCommand stopCommand();
[[nodiscard]] CliCommand learnCommand();
