#include "core/device/SerialDevice.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

QString hex4(quint16 value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

} // namespace

QList<SerialDevice> SerialDevice::available(const QString &stableFolder)
{
    QList<SerialDevice> devices;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports) {
        SerialDevice device;
        device.path = port.systemLocation();
        device.stableName = stableNameOf(device.path, stableFolder);
        device.description = port.description();
        device.manufacturer = port.manufacturer();
        device.serialNumber = port.serialNumber();
        if (port.hasVendorIdentifier() && port.hasProductIdentifier())
            device.usbId = hex4(port.vendorIdentifier()) + QLatin1Char(':') + hex4(port.productIdentifier());
        devices.append(device);
    }
    std::sort(devices.begin(), devices.end(),
              [](const SerialDevice &a, const SerialDevice &b) { return a.path < b.path; });
    return devices;
}

QString SerialDevice::stableNameOf(const QString &path, const QString &stableFolder)
{
    const QString device = QFileInfo(path).canonicalFilePath();
    if (device.isEmpty())
        return QString();
    const QDir folder(stableFolder);
    const QStringList links = folder.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &link : links) {
        const QString linkPath = folder.filePath(link);
        if (QFileInfo(linkPath).canonicalFilePath() == device)
            return linkPath;
    }
    return QString();
}
