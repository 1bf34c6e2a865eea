#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A folder holding a copy of zoq-cli, so that "COM3" resolves to the link
// that zoq-modsim makes beside it, and the documents of a test.
class CliFixture final
{
public:
    struct Result
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    CliFixture();
    ~CliFixture();

    [[nodiscard]] bool isValid() const { return m_valid; }
    [[nodiscard]] QString path(const QString &name) const { return m_dir.filePath(name); }

    // Runs zoq-cli with arguments to its end.
    [[nodiscard]] Result run(const QStringList &arguments, int timeoutMs = 60000) const;
    // Starts zoq-cli and leaves it running.
    [[nodiscard]] std::unique_ptr<QProcess> start(const QStringList &arguments) const;
    [[nodiscard]] static Result finish(QProcess &process, int timeoutMs = 60000);

    // zoq-modsim on the link COM3 beside the copy, its EEPROM in
    // "eeprom.bin", with the options given (faults, key); false when it did
    // not come up.
    [[nodiscard]] bool startModule(const QStringList &options = {});
    void stopModule();
    [[nodiscard]] QString moduleLog();
    [[nodiscard]] QString eepromPath() const { return path(QStringLiteral("eeprom.bin")); }

private:
    QTemporaryDir m_dir;
    QString m_program;
    bool m_valid = false;
    std::unique_ptr<QProcess> m_module;
    QString m_moduleLog;
};
