#pragma once

#include <QString>

#include <atomic>
#include <thread>

// Files that are not regular files, for tests of the readers and writers
// that must refuse them.
namespace SpecialFiles {

enum class Kind {
    Pipe,   // a named pipe: opening it for reading waits for a writer
    Device, // a link to /dev/zero, which never ends
    Folder,
};

// Makes a file of that kind at path; false when it cannot.
[[nodiscard]] bool make(const QString &path, Kind kind);
[[nodiscard]] const char *name(Kind kind);

// Whether path is still what make() put there.
[[nodiscard]] bool isStill(const QString &path, Kind kind);

// While it lives, the named pipe at path is opened for writing and closed
// again every 50 ms from delayMs on, so that a reader that blocked on it
// goes on (and reads nothing) instead of holding the test up for good.
class PipeRescue final
{
public:
    explicit PipeRescue(const QString &path, int delayMs = 3000);
    ~PipeRescue();
    PipeRescue(const PipeRescue &) = delete;
    PipeRescue &operator=(const PipeRescue &) = delete;

    // A blocked reader was set free.
    [[nodiscard]] bool rescued() const { return m_rescued; }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_rescued{false};
    std::thread m_thread;
};

} // namespace SpecialFiles
