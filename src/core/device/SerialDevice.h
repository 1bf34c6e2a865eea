#pragma once

#include <QList>
#include <QString>

// A serial device of the system, as Qt's serial port information tells it,
// with the stable name udev gives it under /dev/serial/by-id (the same each
// time the adapter is plugged in, wherever its /dev/ttyUSBn lands).
struct SerialDevice
{
    static constexpr const char *StableFolder = "/dev/serial/by-id";

    QString path; // e.g. /dev/ttyUSB0
    QString stableName;
    QString description;
    QString manufacturer;
    QString serialNumber;
    QString usbId; // vendor:product in hex ("0403:6001"), empty when not on USB

    // What an assignment keeps: the stable name when there is one.
    [[nodiscard]] QString assignedName() const { return stableName.isEmpty() ? path : stableName; }

    // Every serial device the system has now, by path.
    [[nodiscard]] static QList<SerialDevice> available(const QString &stableFolder = QLatin1String(StableFolder));
    // The link in stableFolder that leads to the device at path, empty when
    // none does.
    [[nodiscard]] static QString stableNameOf(const QString &path, const QString &stableFolder);
};
