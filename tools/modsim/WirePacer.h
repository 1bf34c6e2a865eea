#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

// One direction of the line. Unpaced, bytes pass straight through; paced, each
// byte is delivered when it would have crossed the wire: 10 bits (start, 8
// data, stop) at the rate in force when it was queued, one byte after another.
class WirePacer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WirePacer)

public:
    explicit WirePacer(QObject *parent = nullptr);

    // Turning pacing off delivers what is still queued at once.
    void setPaced(bool paced);
    void push(const QByteArray &bytes, int baud);

signals:
    void delivered(const QByteArray &bytes, int baud);

private:
    struct Chunk
    {
        QByteArray bytes;
        qint64 startNs = 0;
        qint64 byteNs = 0;
        int baud = 0;
        qsizetype done = 0;
    };

    void deliverDue();
    void schedule();

    QList<Chunk> m_chunks;
    QElapsedTimer m_clock;
    QTimer m_timer;
    qint64 m_lineFreeNs = 0;
    bool m_paced = false;
};
