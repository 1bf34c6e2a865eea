#pragma once

#include <QByteArray>
#include <QString>

#include <array>

// The serial devices the user gave to COM1 ... COM8, kept in "ZOQ-ports.ini"
// beside "ZOQ.ini": one "COMn=<device path>" line per assigned port under
// [PORTS]. A device is best kept by its stable name (/dev/serial/by-id/...),
// which stays the same when the adapter is plugged in again elsewhere.
class PortAssignments final
{
public:
    static constexpr int PortCount = 8;

    // The device assigned to COMn (n from 1 to 8); empty when none is.
    [[nodiscard]] QString device(int comNumber) const;
    // An empty device removes the assignment. Numbers outside 1-8 are ignored.
    void assign(int comNumber, const QString &device);
    [[nodiscard]] bool isEmpty() const;

    // The settings folder followed by "ZOQ-ports.ini".
    [[nodiscard]] static QString path(const QString &settingsDir);
    // A missing file, or lines that name no COM1-COM8, assign nothing.
    [[nodiscard]] static PortAssignments read(const QString &path);
    // The whole file, each line ending in CR LF; paths in UTF-8.
    [[nodiscard]] QByteArray text() const;
    // Replaces the file at path with text(), whole or not at all; a failure
    // throws ZoqError with the file system's text.
    void write(const QString &path) const;

    friend bool operator==(const PortAssignments &, const PortAssignments &) = default;

private:
    std::array<QString, PortCount> m_devices;
};
