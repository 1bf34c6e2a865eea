#include "modsim/ModuleSimulator.h"
#include "modsim/SimulatorOptions.h"
#include "core/common/StopSignals.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    SimulatorOptions options;
    if (!options.parse(app.arguments())) {
        err << "zoq-modsim: " << options.errorString() << "\n\n" << options.helpText();
        return 2;
    }
    if (options.helpRequested()) {
        out << options.helpText();
        return 0;
    }

    ModuleSimulator simulator;
    simulator.setSettings(options.settings());
    if (!options.eepromPath().isEmpty() && !simulator.useEepromFile(options.eepromPath())) {
        err << "zoq-modsim: " << simulator.errorString() << '\n';
        return 1;
    }
    QObject::connect(&simulator, &ModuleSimulator::message, &app, [&out](const QString &line) {
        out << QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")) << ' ' << line << Qt::endl;
    });
    if (!simulator.open(options.linkPath())) {
        err << "zoq-modsim: " << simulator.errorString() << '\n';
        return 1;
    }

    StopSignals stopSignals;
    if (!stopSignals.isActive())
        err << "zoq-modsim: cannot watch SIGINT and SIGTERM; the link stays behind on them\n";
    QObject::connect(&stopSignals, &StopSignals::raised, &app, &QCoreApplication::quit);

    out << "pty: " << simulator.slavePath() << '\n';
    if (!simulator.linkPath().isEmpty())
        out << "link: " << simulator.linkPath() << '\n';
    out << "module ID " << options.settings().moduleId << ", key "
        << options.settings().key.code().text() << ", EEPROM "
        << (options.eepromPath().isEmpty() ? QStringLiteral("in memory") : options.eepromPath()) << Qt::endl;
    return app.exec();
}
