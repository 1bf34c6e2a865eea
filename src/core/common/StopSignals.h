#pragma once

#include <QObject>
#include <QSocketNotifier>

// Turns SIGINT and SIGTERM into a Qt signal: the handler only writes a byte to a
// socket pair, which the event loop reads.
class StopSignals final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StopSignals)

public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

    // False when the socket pair could not be made: the signals keep their default action.
    [[nodiscard]] bool isActive() const { return m_notifier != nullptr; }

signals:
    void raised(int signalNumber);

private:
    void readPending();

    QSocketNotifier *m_notifier = nullptr;
};
