#pragma once

#include <QString>
#include <QStringList>

// Where the program keeps its files: the working file of untitled documents
// ("Temp.~tmp"), the settings ("ZOQ.ini", "ZOQ-names.ini", "ZOQ-ports.ini")
// and the COMn links.
//
// A program whose folder takes new files (a portable copy, the build folder)
// keeps them all beside itself. An installed one cannot: its working file
// goes to the per-user data folder and its settings to the per-user config
// folder ("zoq" in each, e.g. ~/.local/share/zoq and ~/.config/zoq, or where
// XDG_DATA_HOME and XDG_CONFIG_HOME point), and COMn links are looked for in
// the config folder after the program's own.
class FileLocations final
{
public:
    // Beside the program when programDir is writable and is not installedDir
    // (the folder the program is installed to, which even an administrator's
    // run must leave alone); per user otherwise.
    [[nodiscard]] static FileLocations forProgram(const QString &programDir, const QString &installedDir = QString());
    // forProgram() for the running program and the folder the build installs
    // programs to.
    [[nodiscard]] static FileLocations forRunningProgram();
    [[nodiscard]] static FileLocations besideProgram(const QString &programDir);
    [[nodiscard]] static FileLocations perUser(const QString &programDir);

    // Whether a process may create files in directory.
    [[nodiscard]] static bool isWritableFolder(const QString &directory);

    [[nodiscard]] bool isPerUser() const { return m_dataDir != m_programDir; }
    [[nodiscard]] const QString &programDir() const { return m_programDir; }
    // The folder of the working file.
    [[nodiscard]] const QString &dataDir() const { return m_dataDir; }
    // The folder of the settings files.
    [[nodiscard]] const QString &configDir() const { return m_configDir; }

    [[nodiscard]] QString workingPath() const;
    // "ZOQ.ini" in the config folder, where "ZOQ-names.ini" and
    // "ZOQ-ports.ini" are kept too.
    [[nodiscard]] QString settingsPath() const;
    // Folders searched for COMn links, in order: the program's, then the
    // config folder when that is elsewhere.
    [[nodiscard]] QStringList linkFolders() const;

    // Creates the data and config folders where they are missing; false when
    // one cannot be made (the files then fail to write with their own error).
    bool makeFolders() const;

private:
    FileLocations(const QString &programDir, const QString &dataDir, const QString &configDir);

    QString m_programDir;
    QString m_dataDir;
    QString m_configDir;
};
