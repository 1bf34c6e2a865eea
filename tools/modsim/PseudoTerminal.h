#pragma once

#include <QString>

// A pseudo-terminal pair in raw mode at 9600 baud. The simulator serves the
// master end; the program under test opens the slave path (or a link to it) as
// its serial port. The terminal keeps a slave descriptor of its own, so the
// line does not hang up while the program closes and reopens its port, and
// reads the line's rate there: the rate the program last set.
class PseudoTerminal final
{
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    Q_DISABLE_COPY_MOVE(PseudoTerminal)

    // False, with the reason in errorString(), on failure.
    [[nodiscard]] bool open();
    // Makes linkPath a symbolic link to the slave (e.g. ".../COM1"), replacing
    // a stale link of that name; removed again by the destructor.
    [[nodiscard]] bool link(const QString &linkPath);

    [[nodiscard]] int masterFd() const { return m_master; }
    [[nodiscard]] QString slavePath() const { return m_slavePath; }
    [[nodiscard]] QString linkPath() const { return m_linkPath; }
    [[nodiscard]] QString errorString() const { return m_error; }
    // The rate in bits per second the line is set to now, 0 when unknown.
    [[nodiscard]] int baudRate() const;
    // Closes both ends, as an adapter pulled out: the program's port sees the
    // line hang up, and the link stays behind, leading to a path that does not
    // exist (the slave's path with "-unplugged"), until the destructor removes it.
    void hangUp();

private:
    [[nodiscard]] bool fail(const QString &what);
    void close();

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_linkPath;
    QString m_error;
};
