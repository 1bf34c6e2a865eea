#include "RawPty.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

RawPty::RawPty()
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return;
    termios settings{};
    if (grantpt(master) != 0 || unlockpt(master) != 0 || tcgetattr(master, &settings) != 0) {
        ::close(master);
        return;
    }
    cfmakeraw(&settings);
    tcsetattr(master, TCSANOW, &settings);
    m_master = master;
    m_slavePath = QString::fromLocal8Bit(ptsname(master));
}

RawPty::~RawPty()
{
    for (const int fd : {m_slave, m_master}) {
        if (fd >= 0)
            ::close(fd);
    }
}

void RawPty::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += n;
    }
}

qsizetype RawPty::writeSome(const QByteArray &bytes)
{
    const int flags = ::fcntl(m_master, F_GETFL);
    ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK);
    const ssize_t n = ::write(m_master, bytes.constData(), size_t(bytes.size()));
    ::fcntl(m_master, F_SETFL, flags);
    return n > 0 ? qsizetype(n) : 0;
}

bool RawPty::waitReadable(int timeoutMs) const
{
    pollfd fd{m_master, POLLIN, 0};
    return ::poll(&fd, 1, timeoutMs) > 0 && (fd.revents & POLLIN);
}

QByteArray RawPty::readAll(int timeoutMs, int quietMs)
{
    QByteArray result;
    int wait = timeoutMs;
    char chunk[4096];
    while (waitReadable(wait)) {
        const ssize_t n = ::read(m_master, chunk, sizeof chunk);
        if (n <= 0)
            break;
        result.append(chunk, n);
        wait = quietMs;
    }
    return result;
}

int RawPty::baudrate() const
{
    termios settings{};
    tcgetattr(m_master, &settings);
    switch (cfgetospeed(&settings)) {
    case B9600:
        return 9600;
    case B115200:
        return 115200;
    default:
        return -1;
    }
}

bool RawPty::is8N1() const
{
    termios settings{};
    tcgetattr(m_master, &settings);
    return (settings.c_cflag & CSIZE) == CS8 && !(settings.c_cflag & PARENB) && !(settings.c_cflag & CSTOPB);
}

bool RawPty::holdOutput(bool hold)
{
    if (m_slave < 0)
        m_slave = ::open(ptsname(m_master), O_RDWR | O_NOCTTY | O_NONBLOCK);
    return m_slave >= 0 && tcflow(m_slave, hold ? TCOOFF : TCOON) == 0;
}
