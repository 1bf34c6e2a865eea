#include "modsim/MasterPort.h"

#include "modsim/PseudoTerminal.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <unistd.h>

MasterPort::MasterPort(PseudoTerminal &terminal, QObject *parent)
    : QObject(parent)
    , m_terminal(terminal)
    , m_inbound(this)
    , m_outbound(this)
{
    connect(&m_inbound, &WirePacer::delivered, this, &MasterPort::received);
    connect(&m_outbound, &WirePacer::delivered, this, &MasterPort::queueOutput);
}

void MasterPort::start()
{
    const int fd = m_terminal.masterFd();
    m_readNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    m_writeNotifier = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &MasterPort::readAvailable);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &MasterPort::flush);
    // Bytes written before the notifier existed are waiting already.
    readAvailable();
}

void MasterPort::setPaced(bool paced)
{
    m_inbound.setPaced(paced);
    m_outbound.setPaced(paced);
}

void MasterPort::send(const QByteArray &bytes)
{
    m_outbound.push(bytes, baudRate());
}

int MasterPort::baudRate() const
{
    return m_terminal.baudRate();
}

void MasterPort::readAvailable()
{
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t n = ::read(m_terminal.masterFd(), buffer.data(), buffer.size());
        if (n > 0) {
            m_inbound.push(QByteArray(buffer.data(), n), baudRate());
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return;
        const QString reason = n == 0 ? QStringLiteral("end of file")
                                      : QString::fromLocal8Bit(std::strerror(errno));
        m_readNotifier->setEnabled(false);
        emit failed(QStringLiteral("reading the line: %1").arg(reason));
        return;
    }
}

void MasterPort::queueOutput(const QByteArray &bytes)
{
    m_output.append(bytes);
    flush();
}

void MasterPort::flush()
{
    while (!m_output.isEmpty()) {
        const ssize_t n = ::write(m_terminal.masterFd(), m_output.constData(), m_output.size());
        if (n > 0) {
            m_output.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        m_output.clear();
        emit failed(QStringLiteral("writing the line: %1").arg(reason));
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_output.isEmpty());
}
