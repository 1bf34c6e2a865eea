#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal whose master end a test drives with plain reads and
// writes; the program under test opens the slave end as its serial port.
class RawPty final
{
public:
    RawPty();
    ~RawPty();
    RawPty(const RawPty &) = delete;
    RawPty &operator=(const RawPty &) = delete;

    [[nodiscard]] bool isOpen() const { return m_master >= 0; }
    [[nodiscard]] const QString &slavePath() const { return m_slavePath; }

    void write(const QByteArray &bytes);
    // Writes as much of bytes as the line takes now, without waiting;
    // returns the count.
    qsizetype writeSome(const QByteArray &bytes);
    // Everything the program wrote, waiting up to timeoutMs for the first
    // bytes and then until the line has been quiet for quietMs.
    [[nodiscard]] QByteArray readAll(int timeoutMs = 1000, int quietMs = 50);
    // Line settings of the slave as the port applied them.
    [[nodiscard]] int baudrate() const;
    [[nodiscard]] bool is8N1() const;
    // Stops the slave's output, as flow control or a stuck adapter would, or
    // lets it go again. The first call must come before the port opens: it
    // opens the slave itself.
    [[nodiscard]] bool holdOutput(bool hold);

private:
    [[nodiscard]] bool waitReadable(int timeoutMs) const;

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};
