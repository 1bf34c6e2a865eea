#include "modsim/SimulatorContext.h"

SimulatorSettings SimulatorContext::settings() const
{
    const QMutexLocker lock(&m_mutex);
    return m_settings;
}

void SimulatorContext::setSettings(const SimulatorSettings &settings)
{
    const QMutexLocker lock(&m_mutex);
    m_settings = settings;
}

SimulatorJournal SimulatorContext::journal() const
{
    const QMutexLocker lock(&m_mutex);
    return m_journal;
}

void SimulatorContext::clearJournal()
{
    const QMutexLocker lock(&m_mutex);
    const bool transmitting = m_journal.transmitting;
    m_journal = {};
    m_journal.transmitting = transmitting;
}

void SimulatorContext::recordFrame(const ReceivedFrame &frame)
{
    const QMutexLocker lock(&m_mutex);
    m_journal.frames.append(frame);
    ++m_journal.counters.frames;
    if (!frame.addressed)
        ++m_journal.counters.framesForOthers;
}

void SimulatorContext::recordBlock(const TransmittedBlock &block)
{
    const QMutexLocker lock(&m_mutex);
    m_journal.blocks.append(block);
    m_journal.transmitting = true;
}

void SimulatorContext::recordTransfer(const TransferRecord &transfer)
{
    const QMutexLocker lock(&m_mutex);
    m_journal.transfers.append(transfer);
}

void SimulatorContext::setTransmitting(bool transmitting)
{
    const QMutexLocker lock(&m_mutex);
    m_journal.transmitting = transmitting;
}

void SimulatorContext::count(int SimulatorCounters::*counter, int amount)
{
    const QMutexLocker lock(&m_mutex);
    m_journal.counters.*counter += amount;
}

bool SimulatorContext::useEepromFile(const QString &path, QString *error)
{
    const QMutexLocker lock(&m_mutex);
    const bool ok = m_eeprom.useFile(path);
    if (!ok && error)
        *error = m_eeprom.errorString();
    return ok;
}

QByteArray SimulatorContext::eepromImage() const
{
    const QMutexLocker lock(&m_mutex);
    return m_eeprom.image();
}

bool SimulatorContext::setEepromImage(const QByteArray &image, QString *error)
{
    const QMutexLocker lock(&m_mutex);
    const bool ok = m_eeprom.setImage(image);
    if (!ok && error)
        *error = m_eeprom.errorString();
    return ok;
}

QByteArray SimulatorContext::eepromSlot(int index) const
{
    const QMutexLocker lock(&m_mutex);
    return m_eeprom.slot(index);
}

bool SimulatorContext::setEepromSlot(int index, const QByteArray &data, QString *error)
{
    const QMutexLocker lock(&m_mutex);
    const bool ok = m_eeprom.setSlot(index, data);
    if (!ok && error)
        *error = m_eeprom.errorString();
    return ok;
}
