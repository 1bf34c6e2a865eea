#include "cli/ModuleLine.h"

#include "cli/CliRun.h"
#include "core/common/StopSignals.h"
#include "core/common/ZoqError.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QSerialPort>
#include <QTimer>

QList<QCommandLineOption> ModuleLine::options()
{
    return {
        QCommandLineOption(QStringLiteral("port"),
                           QStringLiteral("The module's port: COM1 to COM8 (a COMn link beside the program, "
                                          "else /dev/ttyS0 to /dev/ttyS7) or a device path."),
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
    m_link->setPortDirectory(QCoreApplication::applicationDirPath());
    m_link->setBaudRate(SerialLink::NormalBaudrate);
    m_link->setPortName(m_portName);
    if (m_link->open(m_portName))
        return;
    const QString device = SerialLink::resolvePortName(m_portName, m_link->portDirectory());
    const QString port = device == m_portName ? m_portName : QStringLiteral("%1 (%2)").arg(m_portName, device);
    throw ZoqError(QStringLiteral("cannot open %1: %2").arg(port, openFailure(device)));
}

// The link says only that the port did not open; a second attempt on the
// device itself tells why.
QString ModuleLine::openFailure(const QString &device) const
{
    if (!QFileInfo::exists(device))
        return QStringLiteral("no such device");
    QSerialPort probe(device);
    if (probe.open(QIODevice::ReadWrite)) {
        probe.close();
        return QStringLiteral("it could not be set to 9600 baud, 8 data bits, no parity, 1 stop bit");
    }
    // Qt reports a port held by another program (its lock file, or the
    // exclusive mode of the terminal) as a permission error.
    const QString reason = probe.errorString();
    if (probe.error() == QSerialPort::PermissionError
        && (reason.contains(QLatin1String("lock"), Qt::CaseInsensitive)
            || reason.contains(QLatin1String("busy"), Qt::CaseInsensitive)))
        return QStringLiteral("busy: another program holds it (%1)").arg(reason);
    return reason;
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
