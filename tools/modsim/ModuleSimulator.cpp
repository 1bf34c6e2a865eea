#include "modsim/ModuleSimulator.h"

#include "modsim/SimulatorEngine.h"

#include <QThread>

ModuleSimulator::ModuleSimulator(QObject *parent)
    : QObject(parent)
{
}

ModuleSimulator::~ModuleSimulator()
{
    stopEngine();
}

bool ModuleSimulator::open(const QString &linkPath)
{
    if (!openTerminal(linkPath))
        return false;
    createEngine();
    m_engine->start();
    return true;
}

bool ModuleSimulator::startInThread(const QString &linkPath)
{
    if (!openTerminal(linkPath))
        return false;
    createEngine();
    m_thread = new QThread(this);
    m_thread->setObjectName(QStringLiteral("modsim"));
    m_engine->moveToThread(m_thread);
    connect(m_thread, &QThread::started, m_engine, &SimulatorEngine::start);
    m_thread->start();
    return true;
}

void ModuleSimulator::unplug()
{
    stopEngine();
    m_terminal.hangUp();
}

void ModuleSimulator::setSettings(const SimulatorSettings &settings)
{
    m_context.setSettings(settings);
    if (m_engine)
        QMetaObject::invokeMethod(m_engine, &SimulatorEngine::applySettings);
}

void ModuleSimulator::setFaults(const SimulatorFaults &faults)
{
    SimulatorSettings changed = settings();
    changed.faults = faults;
    setSettings(changed);
}

bool ModuleSimulator::useEepromFile(const QString &path)
{
    return m_context.useEepromFile(path, &m_error);
}

bool ModuleSimulator::setEeprom(const QByteArray &image)
{
    return m_context.setEepromImage(image, &m_error);
}

bool ModuleSimulator::setEepromSlot(int index, const QByteArray &data)
{
    return m_context.setEepromSlot(index, data, &m_error);
}

bool ModuleSimulator::openTerminal(const QString &linkPath)
{
    if (m_engine) {
        m_error = QStringLiteral("the simulator is open already");
        return false;
    }
    if (!m_terminal.open() || (!linkPath.isEmpty() && !m_terminal.link(linkPath))) {
        m_error = m_terminal.errorString();
        return false;
    }
    return true;
}

void ModuleSimulator::createEngine()
{
    m_engine = new SimulatorEngine(m_context, m_terminal);
    connect(m_engine, &SimulatorEngine::frameReceived, this, &ModuleSimulator::frameReceived);
    connect(m_engine, &SimulatorEngine::blockTransmitted, this, &ModuleSimulator::blockTransmitted);
    connect(m_engine, &SimulatorEngine::transferFinished, this, &ModuleSimulator::transferFinished);
    connect(m_engine, &SimulatorEngine::message, this, &ModuleSimulator::message);
}

void ModuleSimulator::stopEngine()
{
    if (!m_engine)
        return;
    if (m_thread) {
        // The engine's timers and notifiers must go in the thread that owns
        // them: the thread deletes it on its way out.
        connect(m_thread, &QThread::finished, m_engine, &QObject::deleteLater);
        m_thread->quit();
        m_thread->wait();
    } else {
        delete m_engine;
    }
    m_engine = nullptr;
}
