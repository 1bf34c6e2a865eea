#pragma once

#include "core/device/SerialLink.h"

#include <QMetaObject>
#include <QStringList>

// The steps a serial link takes on its port, as text: "write 14", "drain",
// "drop" (written bytes given up), "close", "open", "rate 115200".
class LineTrace final
{
public:
    explicit LineTrace(SerialLink &link);
    ~LineTrace();
    LineTrace(const LineTrace &) = delete;
    LineTrace &operator=(const LineTrace &) = delete;

    [[nodiscard]] const QStringList &steps() const { return m_steps; }
    // The closes and rate changes that came while written bytes had not been
    // drained, each with its index: "5 close".
    [[nodiscard]] QStringList undrainedSwitches() const;

private:
    QStringList m_steps;
    QMetaObject::Connection m_connection;
};
