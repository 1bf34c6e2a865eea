#include "core/settings/PortAssignments.h"

#include "core/common/SafeFile.h"
#include "core/settings/IniFile.h"

#include <QDir>

#include <algorithm>

namespace {

const QString Section = QStringLiteral("PORTS");

QString keyOf(int comNumber)
{
    return QStringLiteral("COM%1").arg(comNumber);
}

bool isPortNumber(int comNumber)
{
    return comNumber >= 1 && comNumber <= PortAssignments::PortCount;
}

} // namespace

QString PortAssignments::device(int comNumber) const
{
    return isPortNumber(comNumber) ? m_devices[comNumber - 1] : QString();
}

void PortAssignments::assign(int comNumber, const QString &device)
{
    if (isPortNumber(comNumber))
        m_devices[comNumber - 1] = device.trimmed();
}

bool PortAssignments::isEmpty() const
{
    return std::all_of(m_devices.begin(), m_devices.end(), [](const QString &device) { return device.isEmpty(); });
}

QString PortAssignments::path(const QString &settingsDir)
{
    return QDir(settingsDir).filePath(QStringLiteral("ZOQ-ports.ini"));
}

PortAssignments PortAssignments::read(const QString &path)
{
    const IniFile ini = IniFile::load(path);
    PortAssignments assignments;
    for (int n = 1; n <= PortCount; ++n) {
        // The reader takes bytes as Latin-1; the file holds UTF-8.
        const QString value = ini.readString(Section, keyOf(n), QString());
        assignments.assign(n, QString::fromUtf8(value.toLatin1()));
    }
    return assignments;
}

QByteArray PortAssignments::text() const
{
    QString text = QStringLiteral("[%1]\r\n").arg(Section);
    for (int n = 1; n <= PortCount; ++n) {
        if (!device(n).isEmpty())
            text += QStringLiteral("%1=%2\r\n").arg(keyOf(n), device(n));
    }
    return text.toUtf8();
}

void PortAssignments::write(const QString &path) const
{
    SafeFile::write(path, text());
}
