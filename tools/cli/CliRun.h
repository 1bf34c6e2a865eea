#pragma once

#include "cli/CliPrompt.h"

#include <QCommandLineParser>
#include <QString>
#include <QTextStream>

#include <optional>

struct CliCommand;

// One run of a command: its parsed command line, the output streams and the
// prompt. Results go to stdout, progress and messages to stderr.
class CliRun final
{
    Q_DISABLE_COPY_MOVE(CliRun)

public:
    // An inclusive range of rows, counted from 1.
    struct Rows
    {
        int first = 1;
        int last = 1;
        [[nodiscard]] int count() const { return last - first + 1; }
    };

    CliRun(const CliCommand &command, const QCommandLineParser &parser, QTextStream &out, QTextStream &err);

    [[nodiscard]] const CliCommand &command() const { return m_command; }
    // Positional argument i; empty when it was left out.
    [[nodiscard]] QString argument(int i) const;
    [[nodiscard]] bool isSet(const QString &option) const;
    [[nodiscard]] QString value(const QString &option) const;
    // A required option: throws UsageError when it is missing.
    [[nodiscard]] QString required(const QString &option) const;
    // A whole number option, decimal or 0x hex, within low..high; fallback
    // when it is not given (required when there is none).
    [[nodiscard]] quint32 number(const QString &option, quint32 low, quint32 high,
                                 std::optional<quint32> fallback = std::nullopt) const;
    // "A" or "A-B" within 1..rowCount.
    [[nodiscard]] static Rows rows(const QString &option, const QString &text, int rowCount);

    [[nodiscard]] QTextStream &out() { return m_out; }
    [[nodiscard]] QTextStream &err() { return m_err; }
    [[nodiscard]] CliPrompt &prompt() { return m_prompt; }
    // Whether stderr is a terminal: progress is drawn there, else summed up.
    [[nodiscard]] bool stderrIsTerminal() const;
    // "zoq-cli download: <text>" on stderr.
    void tell(const QString &text);

private:
    const CliCommand &m_command;
    const QCommandLineParser &m_parser;
    QTextStream &m_out;
    QTextStream &m_err;
    CliPrompt m_prompt;
};
