#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>
#include <utility>

// A value, or the reason it could not be made ("refused"). Signals that the
// module cannot hold are refused with a message instead of being distorted.
template <typename T>
class IrResult
{
public:
    // Not explicit: returning a value means success.
    IrResult(T value)
        : m_value(std::move(value))
    {
    }

    [[nodiscard]] static IrResult refused(QString error)
    {
        IrResult result;
        result.m_error = std::move(error);
        return result;
    }

    [[nodiscard]] bool isOk() const { return m_value.has_value(); }
    [[nodiscard]] const T &value() const
    {
        Q_ASSERT(m_value.has_value());
        return *m_value;
    }
    [[nodiscard]] const QString &error() const { return m_error; }

private:
    IrResult() = default;

    std::optional<T> m_value;
    QString m_error;
};
