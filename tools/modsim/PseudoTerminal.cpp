#include "modsim/PseudoTerminal.h"

#include <QFile>
#include <QFileInfo>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::array<std::pair<speed_t, int>, 10> Rates{{
    {B1200, 1200},
    {B2400, 2400},
    {B4800, 4800},
    {B9600, 9600},
    {B19200, 19200},
    {B38400, 38400},
    {B57600, 57600},
    {B115200, 115200},
    {B230400, 230400},
    {B460800, 460800},
}};

// The failed step and the system's reason; call it before errno changes.
[[nodiscard]] QString systemError(const QString &what)
{
    const int code = errno;
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(code)));
}

} // namespace

PseudoTerminal::~PseudoTerminal()
{
    close();
}

bool PseudoTerminal::open()
{
    close();
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0)
        return fail(QStringLiteral("posix_openpt"));
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return fail(QStringLiteral("unlocking the pseudo-terminal"));
    std::array<char, 128> name{};
    if (::ptsname_r(m_master, name.data(), name.size()) != 0)
        return fail(QStringLiteral("ptsname"));
    m_slavePath = QString::fromLocal8Bit(name.data());

    m_slave = ::open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return fail(m_slavePath);
    termios tio{};
    if (::tcgetattr(m_slave, &tio) != 0)
        return fail(QStringLiteral("tcgetattr"));
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B9600);
    if (::tcsetattr(m_slave, TCSANOW, &tio) != 0)
        return fail(QStringLiteral("tcsetattr"));

    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail(QStringLiteral("non-blocking master"));
    m_error.clear();
    return true;
}

bool PseudoTerminal::link(const QString &linkPath)
{
    const QFileInfo existing(linkPath);
    if (existing.isSymLink()) {
        if (!QFile::remove(linkPath)) {
            m_error = QStringLiteral("cannot replace the link %1").arg(linkPath);
            return false;
        }
    } else if (existing.exists()) {
        m_error = QStringLiteral("%1 exists and is not a link").arg(linkPath);
        return false;
    }
    if (::symlink(QFile::encodeName(m_slavePath).constData(), QFile::encodeName(linkPath).constData()) != 0) {
        m_error = systemError(linkPath);
        return false;
    }
    m_linkPath = linkPath;
    return true;
}

int PseudoTerminal::baudRate() const
{
    termios tio{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &tio) != 0)
        return 0;
    const speed_t speed = ::cfgetospeed(&tio);
    for (const auto &[code, rate] : Rates) {
        if (code == speed)
            return rate;
    }
    return 0;
}

bool PseudoTerminal::fail(const QString &what)
{
    m_error = systemError(what);
    close();
    return false;
}

void PseudoTerminal::close()
{
    // Only our own link goes: someone may have pointed the name elsewhere since.
    if (!m_linkPath.isEmpty() && QFileInfo(m_linkPath).symLinkTarget() == m_slavePath)
        QFile::remove(m_linkPath);
    m_linkPath.clear();
    hangUp();
}

void PseudoTerminal::hangUp()
{
    for (int *fd : {&m_slave, &m_master}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    // The system hands the freed terminal number to the next pseudo-terminal
    // any process opens; the link must not lead there, as a pulled adapter's
    // name leads nowhere.
    if (!m_linkPath.isEmpty() && QFileInfo(m_linkPath).symLinkTarget() == m_slavePath) {
        QFile::remove(m_linkPath);
        m_slavePath += QStringLiteral("-unplugged");
        (void)QFile::link(m_slavePath, m_linkPath);
    }
}
