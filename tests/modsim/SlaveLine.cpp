#include "SlaveLine.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

[[nodiscard]] speed_t speedCode(int baud)
{
    return baud == 115200 ? B115200 : B9600;
}

} // namespace

SlaveLine::~SlaveLine()
{
    close();
}

bool SlaveLine::open(const QString &path, int baud)
{
    close();
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return false;
    termios tio{};
    if (::tcgetattr(m_fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, speedCode(baud));
    if (::tcsetattr(m_fd, TCSANOW, &tio) != 0)
        return false;
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &SlaveLine::fetch);
    return true;
}

void SlaveLine::close()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool SlaveLine::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, bytes.size() - done);
        if (n > 0) {
            done += n;
            m_written += n;
        }
        else if (n < 0 && errno == EAGAIN)
            static_cast<void>(waitForBytes(10)); // let the simulator drain the line
        else if (!(n < 0 && errno == EINTR))
            return false;
    }
    return true;
}

QByteArray SlaveLine::read(int count, int timeoutMs)
{
    m_pieces = 0;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(timeoutMs);
    while (m_pending.size() < count && deadline.isActive()) {
        if (!waitForBytes(deadline.remainingTime()))
            break;
    }
    const QByteArray result = m_pending.first(std::min<qsizetype>(count, m_pending.size()));
    m_pending.remove(0, result.size());
    return result;
}

QByteArray SlaveLine::readUntilQuiet(int quietMs)
{
    while (waitForBytes(quietMs)) { }
    return std::exchange(m_pending, {});
}

bool SlaveLine::waitForBytes(int timeoutMs)
{
    const qsizetype before = m_pending.size();
    QEventLoop loop;
    QTimer::singleShot(std::max(timeoutMs, 0), &loop, &QEventLoop::quit);
    const auto arrived = connect(m_notifier.get(), &QSocketNotifier::activated, &loop, &QEventLoop::quit,
                                 Qt::QueuedConnection);
    fetch();
    if (m_pending.size() == before)
        loop.exec();
    disconnect(arrived);
    return m_pending.size() > before;
}

void SlaveLine::fetch()
{
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer.data(), buffer.size());
        if (n <= 0)
            return;
        m_pending.append(buffer.data(), n);
        ++m_pieces;
    }
}
