#pragma once

#include "modsim/SimulatorSettings.h"

#include <QString>
#include <QStringList>

// The command line of zoq-modsim.
class SimulatorOptions final
{
public:
    // False with errorString() for a bad option; helpRequested() for --help.
    [[nodiscard]] bool parse(const QStringList &arguments);

    [[nodiscard]] const SimulatorSettings &settings() const { return m_settings; }
    [[nodiscard]] QString linkPath() const { return m_linkPath; }
    [[nodiscard]] QString eepromPath() const { return m_eepromPath; }
    [[nodiscard]] bool helpRequested() const { return m_help; }
    [[nodiscard]] QString helpText() const { return m_helpText; }
    [[nodiscard]] QString errorString() const { return m_error; }

private:
    SimulatorSettings m_settings;
    QString m_linkPath;
    QString m_eepromPath;
    QString m_helpText;
    QString m_error;
    bool m_help = false;
};
