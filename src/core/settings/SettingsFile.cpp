#include "core/settings/SettingsFile.h"

#include "core/common/SafeFile.h"
#include "core/common/ZoqError.h"
#include "core/settings/IniFile.h"

#include <QCoreApplication>
#include <QDir>

namespace SettingsFile {
namespace {

const QString LearnTimeSection = QStringLiteral("LEARNTIME");
const QString ComPortSection = QStringLiteral("COMPORT");
const QString IdSection = QStringLiteral("ID");
const QString IrPortSection = QStringLiteral("IRPORT");
const QString IrFormatSection = QStringLiteral("IRFORMAT");

constexpr int NormalFormat = 1;
constexpr int Rc5Rc6Format = 2;

} // namespace

QString settingsPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ZOQ.ini"));
}

Settings readSettings(const QString &path, QString *refusal)
{
    return settingsFrom(IniFile::load(path, refusal));
}

Settings settingsFrom(const IniFile &ini)
{
    const Settings defaults;
    Settings s;
    s.learnTime = ini.readInteger(LearnTimeSection, QStringLiteral("TIME"), defaults.learnTime);
    s.comPort = ini.readInteger(ComPortSection, QStringLiteral("PORT"), defaults.comPort);
    s.moduleId = ini.readInteger(IdSection, QStringLiteral("ID"), defaults.moduleId);
    const int format = ini.readInteger(IrFormatSection, QStringLiteral("FORMAT"), defaults.irFormat);
    s.irFormat = format == NormalFormat ? NormalFormat : Rc5Rc6Format;
    s.irPortMask = ini.readInteger(IrPortSection, QStringLiteral("PORT"), defaults.irPortMask) & 0xFF;
    return s;
}

QByteArray settingsText(const Settings &settings)
{
    const auto section = [](const QString &name) { return QStringLiteral("[%1]\r\n").arg(name); };
    const auto entry = [](const char *key, int value) { return QStringLiteral("%1=%2\r\n").arg(QLatin1String(key)).arg(value); };
    const QString text = section(LearnTimeSection) + entry("TIME", settings.learnTime)
        + section(QStringLiteral("AUTORUN"))
        + section(ComPortSection) + entry("PORT", settings.comPort)
        + section(IdSection) + entry("ID", settings.moduleId)
        + section(IrPortSection) + entry("PORT", settings.irPortMask)
        + section(IrFormatSection) + entry("FORMAT", settings.irFormat);
    return text.toLatin1();
}

void writeSettings(const QString &path, const Settings &settings)
{
    SafeFile::write(path, settingsText(settings));
}

} // namespace SettingsFile
