#pragma once

#include "modsim/EepromStore.h"
#include "modsim/SimulatorJournal.h"
#include "modsim/SimulatorSettings.h"

#include <QMutex>

// State shared by the simulator's owner and the thread that serves the line:
// settings going in, the journal and the EEPROM going both ways. Every member
// function takes the lock.
class SimulatorContext final
{
public:
    [[nodiscard]] SimulatorSettings settings() const;
    void setSettings(const SimulatorSettings &settings);

    [[nodiscard]] SimulatorJournal journal() const;
    void clearJournal();
    void recordFrame(const ReceivedFrame &frame);
    void recordBlock(const TransmittedBlock &block);
    void recordTransfer(const TransferRecord &transfer);
    void setTransmitting(bool transmitting);
    void count(int SimulatorCounters::*counter, int amount = 1);

    // The EEPROM calls return false and, when error is given, say why.
    [[nodiscard]] bool useEepromFile(const QString &path, QString *error);
    [[nodiscard]] QByteArray eepromImage() const;
    [[nodiscard]] bool setEepromImage(const QByteArray &image, QString *error);
    [[nodiscard]] QByteArray eepromSlot(int index) const;
    [[nodiscard]] bool setEepromSlot(int index, const QByteArray &data, QString *error);

private:
    mutable QMutex m_mutex;
    SimulatorSettings m_settings;
    SimulatorJournal m_journal;
    EepromStore m_eeprom;
};
