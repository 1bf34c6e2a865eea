#include "cli/ModuleLine.h"

#include "cli/CliRun.h"
#include "core/common/FileLocations.h"
#include "core/common/StopSignals.h"
#include "core/common/ZoqError.h"
#include "core/device/PortOpenFailure.h"
#include "core/settings/PortAssignments.h"

#include <QEventLoop>
#include <QTimer>

QList<QCommandLineOption> ModuleLine::options()
{
    return {
        QCommandLineOption(QStringLiteral("port"),
                           QStringLiteral("The module's port: COM1 to COM8 (a COMn link, else the device "
                                          "assigned in the window's Serial ports dialog, else /dev/ttyS0 to "
                                          "/dev/ttyS7) or a device path."),
                           QStringLiteral("PORT")),
        QCommandLineOption(QStringLiteral("id"), QStringLiteral("Module ID, 0-15 (default 0)."), QStringLiteral("N")),
    };
}

ModuleLine::ModuleLine(CliRun &run)
    : m_run(run)
    , m_link(std::make_unique<SerialLink>(run.prompt()))
    , m_stopSignals(std::make_unique<StopSignals>())
{
    m_portName = run.required(QStringLiteral("port"));
    m_moduleId = quint8(run.number(QStringLiteral("id"), 0, 15, 0));
    connect(m_stopSignals.get(), &StopSignals::raised, this, [this] { requestStop(); });
    open();
}

ModuleLine::~ModuleLine()
{
    // The bytes written leave the port before it closes.
    m_link->closePort();
}

void ModuleLine::open()
{
    const FileLocations locations = FileLocations::forRunningProgram();
    m_link->locator().setLinkFolders(locations.linkFolders());
    m_link->locator().setAssignments(PortAssignments::read(PortAssignments::path(locations.configDir())));
    m_link->setBaudRate(SerialLink::NormalBaudrate);
    m_link->setPortName(m_portName);
    if (m_link->open(m_portName))
        return;
    const PortOpenFailure &failure = m_link->lastOpenFailure();
    const QString device = m_link->locator().devicePath(m_portName);
    const QString port = device == m_portName ? m_portName : QStringLiteral("%1 (%2)").arg(m_portName, device);
    QString text = QStringLiteral("cannot open %1: %2").arg(port, failure.reason());
    if (!failure.remedy().isEmpty())
        text += QLatin1Char('\n') + failure.remedy();
    throw ZoqError(text);
}

void ModuleLine::requestStop()
{
    if (m_stopRequested)
        return;
    m_stopRequested = true;
    m_run.tell(QStringLiteral("stopping (Ctrl+C)..."));
    m_link->wakeWait();
    if (m_onStop)
        m_onStop();
}

void ModuleLine::waitUnlessStopped(int ms)
{
    if (m_stopRequested)
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    const QMetaObject::Connection stop = connect(m_stopSignals.get(), &StopSignals::raised, &loop, &QEventLoop::quit);
    loop.exec();
    disconnect(stop);
}
