#pragma once

#include <QString>

#include <stdexcept>

// A command line the tool cannot act on: a missing or unknown argument, a
// value out of its range. The tool says so with the command's usage and
// exits with 2.
class UsageError : public std::runtime_error
{
public:
    explicit UsageError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }

    [[nodiscard]] const QString &message() const { return m_message; }

private:
    QString m_message;
};
