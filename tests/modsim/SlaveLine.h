#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <memory>

// The program's end of the simulator's line, driven with plain POSIX calls:
// raw 8-N-1 at a chosen rate. Waits run a nested event loop woken by the
// descriptor and a deadline, so a simulator served from the same thread keeps
// answering.
class SlaveLine final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SlaveLine)

public:
    SlaveLine() = default;
    ~SlaveLine() override;

    // Closes first when open, like the program's reopen at another rate.
    [[nodiscard]] bool open(const QString &path, int baud);
    void close();
    [[nodiscard]] bool write(const QByteArray &bytes);
    // Bytes written since the line was made, across reopens.
    [[nodiscard]] qint64 bytesWritten() const { return m_written; }

    // Waits until count bytes have come or the deadline has passed, and
    // returns what came (never more than count; the rest stays for later).
    [[nodiscard]] QByteArray read(int count, int timeoutMs);
    // Everything that comes until the line has been quiet for quietMs.
    [[nodiscard]] QByteArray readUntilQuiet(int quietMs);
    // How many separate arrivals the last read() saw.
    [[nodiscard]] int lastReadPieces() const { return m_pieces; }

private:
    [[nodiscard]] bool waitForBytes(int timeoutMs);
    void fetch();

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_pending;
    int m_pieces = 0;
    qint64 m_written = 0;
};
