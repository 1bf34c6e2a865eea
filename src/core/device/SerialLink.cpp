#include "core/device/SerialLink.h"

#include "core/common/Prompt.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScopeGuard>
#include <QSerialPort>
#include <QTimer>

#include <algorithm>
#include <limits>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <termios.h>
#endif

namespace {

const QString CloseItem = QStringLiteral("Close");
const QString NoPortName = QStringLiteral("NoPort");
const QString NoPortStatus = QStringLiteral("No port");

constexpr qint64 NsPerMs = 1'000'000;
// How long bytes that do not leave are waited for beyond their wire time.
constexpr qint64 SlackNs = 1000 * NsPerMs;
// The shortest wait of a drain, and how often it looks again.
constexpr qint64 DrainPassNs = 5 * NsPerMs;

// Time the line needs for count bytes of 10 bits.
qint64 wireTimeNs(qint64 count, qint32 baudrate)
{
    return baudrate > 0 ? count * 10 * 1'000'000'000 / baudrate : 0;
}

int writeTimeoutMs(int count, qint32 baudrate)
{
    return int((wireTimeNs(count, baudrate) + SlackNs) / NsPerMs);
}

// Runs loop until something quits it or timeoutMs passes (never, when
// negative). False when no events run any more because the application is
// quitting: exec() refuses to run, returning -1, then.
bool runWait(QEventLoop &loop, qint64 timeoutMs)
{
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (timeoutMs >= 0)
        deadline.start(int(qMin<qint64>(timeoutMs, std::numeric_limits<int>::max())));
    return loop.exec() >= 0;
}

#ifdef Q_OS_UNIX
// Bytes the driver still holds for sending, -1 when it cannot tell.
int driverOutputQueue(const QSerialPort &port)
{
    int queued = 0;
    return ::ioctl(port.handle(), TIOCOUTQ, &queued) == 0 ? queued : -1;
}

// Blocks until the UART has shifted out its last bit.
void waitUntilSent(const QSerialPort &port)
{
    ::tcdrain(port.handle());
}
#else
int driverOutputQueue(const QSerialPort &)
{
    return 0;
}

void waitUntilSent(const QSerialPort &) { }
#endif

} // namespace

SerialLink::SerialLink(Prompt &prompt, QObject *parent)
    : QObject(parent)
    , m_prompt(prompt)
    , m_port(new QSerialPort(this))
    , m_received(ReceiveBufferSize, '\0')
    , m_unaskedQuiet(new QTimer(this))
{
    setPortDirectory(QCoreApplication::applicationDirPath());
    m_port->setReadBufferSize(ReadBufferLimit);
    connect(m_port, &QSerialPort::readyRead, this, &SerialLink::dropUnasked);
    m_unaskedQuiet->setSingleShot(true);
    m_unaskedQuiet->setInterval(UnaskedQuietMs);
    connect(m_unaskedQuiet, &QTimer::timeout, this, &SerialLink::endUnasked);
    // A device that vanished (adapter unplugged, the far end of a terminal
    // closed) keeps reporting itself readable and failing the read; without
    // closing it the event loop would spin. The next write reopens portName, as after any failed write.
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError)
            QMetaObject::invokeMethod(this, &SerialLink::dropVanishedPort, Qt::QueuedConnection);
    });
    connect(m_port, &QSerialPort::bytesWritten, this, &SerialLink::noteHandedOver);
    m_clock.start();
}

QSerialPort *SerialLink::port() const
{
    return isOpen() ? m_port : nullptr;
}

bool SerialLink::isOpen() const
{
    return m_port->isOpen();
}

QString SerialLink::resolvePortName(const QString &name, const QString &directory)
{
    PortLocator locator;
    locator.setLinkFolders({directory});
    return locator.devicePath(name);
}

bool SerialLink::open(const QString &name)
{
    closePort();
    m_devicePath = m_locator.devicePath(name);
    m_port->setPortName(m_devicePath);
    if (!m_port->open(QIODevice::ReadWrite)) {
        m_lastOpenFailure = name == NoPortName
            ? PortOpenFailure::noPortChosen()
            : PortOpenFailure::diagnose(m_devicePath, m_port->error(), m_port->errorString());
        m_prompt.notice(QStringLiteral("Open Error"), m_lastOpenFailure.message());
        return false;
    }
    m_lastOpenFailure = PortOpenFailure();
    emit lineStep(LineStep::Open, 0);
    if (!applyLineSettings()) {
        m_prompt.notice(QStringLiteral("Set Error"), QStringLiteral("Error setting serial port!"));
        closePort();
        return false;
    }
    return true;
}

bool SerialLink::applyLineSettings()
{
    if (!m_port->setBaudRate(m_baudRate))
        return false;
    emit lineStep(LineStep::SetRate, m_baudRate);
    return m_port->setDataBits(QSerialPort::Data8) && m_port->setParity(QSerialPort::NoParity)
        && m_port->setStopBits(QSerialPort::OneStop) && m_port->setFlowControl(QSerialPort::NoFlowControl);
}

void SerialLink::closePort()
{
    drain();
    // The drain runs the event loop, where the port may have been closed.
    if (!m_port->isOpen())
        return;
    m_port->close();
    emit lineStep(LineStep::Close, 0);
}

// Closing puts back the line settings found at open, at once: a UART would
// send the rest of a frame at the other rate and the module would never see
// it. So before a close (and every change of rate closes first) the bytes
// written must have left: Qt has handed its buffer to the driver, the driver's
// queue is empty and the last bytes' time on the wire has passed (the queue
// count leaves out the UART's own FIFO); tcdrain() then returns at once. The
// wait runs on the event loop with user input held back, one pass at least, so
// that a reader in this process (the module simulator, in tests) takes the
// bytes at the rate they were written at. A line that does not take its bytes
// within a second beyond their wire time (held by flow control, a stuck
// adapter) has them dropped instead, so that neither the wait nor the close
// can hang.
void SerialLink::drain()
{
    if (!isOpen() || !m_undrained)
        return;
    const qint64 giveUpNs = std::max(m_lineFreeNs, m_clock.nsecsElapsed()) + SlackNs;
    for (;;) {
        const qint64 wireNs = m_lineFreeNs - m_clock.nsecsElapsed();
        const bool waited = pause(int((std::max(wireNs, DrainPassNs) + NsPerMs - 1) / NsPerMs),
                                  QEventLoop::ExcludeUserInputEvents);
        if (!isOpen())
            return;
        const int queued = driverOutputQueue(*m_port);
        const bool left = queued == 0 && m_port->bytesToWrite() == 0 && m_clock.nsecsElapsed() >= m_lineFreeNs;
        // A driver that cannot tell has lost its device: nothing leaves any more.
        if (left || !waited || queued < 0 || m_clock.nsecsElapsed() >= giveUpNs) {
            finishDrain(left);
            return;
        }
    }
}

void SerialLink::finishDrain(bool left)
{
    if (left)
        waitUntilSent(*m_port);
    else
        m_port->clear(QSerialPort::Output);
    m_undrained = false;
    emit lineStep(LineStep::Drain, left ? 1 : 0);
}

void SerialLink::dropVanishedPort()
{
    if (!isOpen())
        return;
    // Nothing leaves through a device that is gone: closed without a drain,
    // whose wait would only meet the next error of the same device.
    m_undrained = false;
    closePort();
    emit portLost();
}

// The driver's queue is in its own count; this is the time the bytes take on
// the wire themselves.
void SerialLink::noteHandedOver(qint64 count)
{
    m_lineFreeNs = std::max(m_lineFreeNs, m_clock.nsecsElapsed() + wireTimeNs(count, m_port->baudRate()));
}

bool SerialLink::read(char *buffer, int count, int seconds)
{
    const qint64 limit = qint64(seconds) * 1000;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const int queued = pollQueued();
        // The time is checked before the queue: bytes that arrive after the
        // limit do not count.
        if (clock.elapsed() > limit)
            return false;
        if (queued >= count)
            break;
        if (!waitForInput(limit + 1 - clock.elapsed()))
            return false;
    }
    readQueued(buffer, count);
    return true;
}

bool SerialLink::write(const char *buffer, int count)
{
    if (writeOnce(buffer, count))
        return true;
    open(m_portName);
    return writeOnce(buffer, count);
}

bool SerialLink::writeOnce(const char *buffer, int count)
{
    if (!isOpen())
        return false;
    const qint64 written = m_port->write(buffer, count);
    if (written < 0)
        return false;
    m_bytesWritten = quint32(written);
    m_undrained = true;
    emit lineStep(LineStep::Write, written);
    return waitForHandover(writeTimeoutMs(count, m_baudRate));
}

// The wait runs on the event loop as the reads do; the line may be closed
// meanwhile, which ends it.
bool SerialLink::waitForHandover(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    ++m_writeWaits;
    const auto done = qScopeGuard([this] { --m_writeWaits; });
    while (isOpen() && m_port->bytesToWrite() > 0) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            return false;
        QEventLoop loop;
        connect(m_port, &QSerialPort::bytesWritten, &loop, &QEventLoop::quit);
        connect(m_port, &QSerialPort::aboutToClose, &loop, &QEventLoop::quit);
        if (!runWait(loop, left))
            return false;
    }
    return isOpen();
}

// Nothing asked for these bytes: an exchange claims the line and reads its
// answers within its waits. Dropping them keeps a device that sends without
// pause from filling the port's buffer.
void SerialLink::dropUnasked()
{
    if (m_busy || !m_waits.isEmpty() || m_writeWaits > 0)
        return;
    // readAll() also asks the port for more, which starts it reading again
    // when a full buffer had stopped it.
    m_unaskedBytes += m_port->readAll().size();
    m_unaskedQuiet->start();
    if (!m_unasked && m_unaskedBytes >= UnaskedLimit) {
        m_unasked = true;
        emit unaskedInputChanged(true);
    }
}

void SerialLink::endUnasked()
{
    m_unaskedBytes = 0;
    if (m_unasked) {
        m_unasked = false;
        emit unaskedInputChanged(false);
    }
}

bool SerialLink::writeByte(char byte)
{
    return writeOnce(&byte, 1);
}

void SerialLink::purgeRx()
{
    // clear() flushes the driver's receive queue and the port's own buffer;
    // the read that follows starts the port reading again if a full buffer
    // (see ReadBufferLimit) had stopped it.
    if (isOpen()) {
        m_port->clear(QSerialPort::Input);
        (void)m_port->readAll();
    }
}

int SerialLink::pollQueued()
{
    // A poll without a port counts as nothing queued.
    if (!isOpen()) {
        m_status.queued = 0;
        return 0;
    }
    const QSerialPort::SerialPortError error = m_port->error();
    m_lineErrors = error == QSerialPort::TimeoutError ? 0 : quint32(error);
    m_port->clearError();
    m_status.queued = quint32(m_port->bytesAvailable());
    return int(m_status.queued);
}

int SerialLink::readQueued(char *buffer, int maxCount)
{
    const qint64 read = isOpen() ? m_port->read(buffer, maxCount) : 0;
    m_bytesRead = quint32(qMax<qint64>(read, 0));
    return int(m_bytesRead);
}

bool SerialLink::waitForInput(qint64 timeoutMs)
{
    QEventLoop loop;
    connect(m_port, &QSerialPort::readyRead, &loop, &QEventLoop::quit);
    bool lost = false;
    connect(this, &SerialLink::portLost, &loop, [&loop, &lost] {
        lost = true;
        loop.quit();
    });
    m_waits.append(&loop);
    const bool ran = runWait(loop, timeoutMs);
    m_waits.removeOne(&loop);
    return ran && !lost;
}

void SerialLink::wakeWait()
{
    if (!m_waits.isEmpty())
        m_waits.last()->quit();
}

bool SerialLink::pause(int ms, QEventLoop::ProcessEventsFlags flags)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    return loop.exec(flags) >= 0;
}

QStringList SerialLink::comBoxItems()
{
    QStringList items;
    for (int n = 1; n <= 8; ++n)
        items.append(QStringLiteral("COM%1").arg(n));
    items.append(CloseItem);
    return items;
}

std::optional<QString> SerialLink::choosePort(const QString &itemText)
{
    if (itemText == CloseItem) {
        if (!isOpen())
            return std::nullopt;
        closePort();
        m_portName = NoPortName;
        return NoPortStatus;
    }
    m_portName = itemText;
    return open(m_portName) ? m_portName : NoPortStatus;
}

bool SerialLink::claim()
{
    if (m_busy)
        return false;
    m_busy = true;
    return true;
}

void SerialLink::release()
{
    m_busy = false;
}
