#pragma once

#include <QString>
#include <stdexcept>

// An error that the application's error handler shows in a message box; the
// program goes on afterwards. Database, file system and conversion errors are
// raised as this type.
class ZoqError : public std::runtime_error
{
public:
    explicit ZoqError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }

    [[nodiscard]] const QString &message() const { return m_message; }

private:
    QString m_message;
};
