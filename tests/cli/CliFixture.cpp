#include "CliFixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

CliFixture::CliFixture()
    : m_program(m_dir.filePath(QStringLiteral("zoq-cli")))
{
    m_valid = m_dir.isValid() && QFile::copy(QStringLiteral(ZOQ_CLI_PROGRAM), m_program);
}

CliFixture::~CliFixture()
{
    stopModule();
}

std::unique_ptr<QProcess> CliFixture::start(const QStringList &arguments) const
{
    auto process = std::make_unique<QProcess>();
    process->setWorkingDirectory(m_dir.path());
    process->setStandardInputFile(QProcess::nullDevice());
    process->start(m_program, arguments);
    return process;
}

CliFixture::Result CliFixture::finish(QProcess &process, int timeoutMs)
{
    Result result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

CliFixture::Result CliFixture::run(const QStringList &arguments, int timeoutMs) const
{
    const std::unique_ptr<QProcess> process = start(arguments);
    return finish(*process, timeoutMs);
}

bool CliFixture::startModule(const QStringList &options)
{
    stopModule();
    const QString link = path(QStringLiteral("COM3"));
    m_module = std::make_unique<QProcess>();
    m_module->start(QStringLiteral(ZOQ_MODSIM_PROGRAM),
                    QStringList{QStringLiteral("--link"), link, QStringLiteral("--eeprom"), eepromPath(),
                                QStringLiteral("--capture-delay"), QStringLiteral("100")}
                        + options);
    if (!m_module->waitForStarted())
        return false;
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo(link).isSymLink() && clock.elapsed() < 5000 && m_module->state() == QProcess::Running)
        QTest::qWait(10);
    return QFileInfo(link).isSymLink();
}

void CliFixture::stopModule()
{
    if (!m_module)
        return;
    m_module->terminate();
    m_module->waitForFinished();
    m_moduleLog += QString::fromUtf8(m_module->readAllStandardOutput());
    m_module.reset();
}

QString CliFixture::moduleLog()
{
    // What the simulator has written so far: what the event loop has read
    // already, and the lines still in the pipe.
    if (!m_module)
        return m_moduleLog;
    do {
        m_moduleLog += QString::fromUtf8(m_module->readAllStandardOutput());
    } while (m_module->waitForReadyRead(50));
    return m_moduleLog;
}
