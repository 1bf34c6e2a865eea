#include "SpecialFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SpecialFiles {

bool make(const QString &path, Kind kind)
{
    switch (kind) {
    case Kind::Pipe:
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    case Kind::Device:
        return QFile::link(QStringLiteral("/dev/zero"), path);
    case Kind::Folder:
        return QDir().mkpath(path);
    }
    return false;
}

const char *name(Kind kind)
{
    switch (kind) {
    case Kind::Pipe:
        return "pipe";
    case Kind::Device:
        return "device";
    case Kind::Folder:
        return "folder";
    }
    return "";
}

bool isStill(const QString &path, Kind kind)
{
    struct stat status{};
    switch (kind) {
    case Kind::Pipe:
        return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISFIFO(status.st_mode);
    case Kind::Device:
        return QFileInfo(path).symLinkTarget() == QLatin1String("/dev/zero");
    case Kind::Folder:
        return QFileInfo(path).isDir();
    }
    return false;
}

PipeRescue::PipeRescue(const QString &path, int delayMs)
    : m_thread([this, name = QFile::encodeName(path), delayMs] {
        const auto start = std::chrono::steady_clock::now();
        while (!m_stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(delayMs))
                continue;
            // Opening fails at once while no reader waits.
            const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                m_rescued = true;
                ::close(fd);
            }
        }
    })
{
}

PipeRescue::~PipeRescue()
{
    m_stop = true;
    m_thread.join();
}

} // namespace SpecialFiles
