#include "core/common/FileLocations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <unistd.h>

namespace {

const QString FolderName = QStringLiteral("zoq");

QString userFolder(QStandardPaths::StandardLocation location)
{
    return QDir(QStandardPaths::writableLocation(location)).filePath(FolderName);
}

QString cleanPath(const QString &directory)
{
    return QDir::cleanPath(QDir(directory).absolutePath());
}

} // namespace

FileLocations::FileLocations(const QString &programDir, const QString &dataDir, const QString &configDir)
    : m_programDir(programDir)
    , m_dataDir(dataDir)
    , m_configDir(configDir)
{
}

FileLocations FileLocations::forProgram(const QString &programDir, const QString &installedDir)
{
    const bool installed = !installedDir.isEmpty() && cleanPath(programDir) == cleanPath(installedDir);
    return !installed && isWritableFolder(programDir) ? besideProgram(programDir) : perUser(programDir);
}

FileLocations FileLocations::forRunningProgram()
{
    return forProgram(QCoreApplication::applicationDirPath(), QStringLiteral(ZOQ_INSTALLED_BINDIR));
}

FileLocations FileLocations::besideProgram(const QString &programDir)
{
    return FileLocations(programDir, programDir, programDir);
}

FileLocations FileLocations::perUser(const QString &programDir)
{
    return FileLocations(programDir, userFolder(QStandardPaths::GenericDataLocation),
                         userFolder(QStandardPaths::GenericConfigLocation));
}

bool FileLocations::isWritableFolder(const QString &directory)
{
    return ::access(QFile::encodeName(directory).constData(), W_OK | X_OK) == 0;
}

QString FileLocations::workingPath() const
{
    return QDir(m_dataDir).filePath(QStringLiteral("Temp.~tmp"));
}

QString FileLocations::settingsPath() const
{
    return QDir(m_configDir).filePath(QStringLiteral("ZOQ.ini"));
}

QStringList FileLocations::linkFolders() const
{
    QStringList folders{m_programDir};
    if (m_configDir != m_programDir)
        folders.append(m_configDir);
    return folders;
}

bool FileLocations::makeFolders() const
{
    return QDir().mkpath(m_dataDir) && QDir().mkpath(m_configDir);
}
