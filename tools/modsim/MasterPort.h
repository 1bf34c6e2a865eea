#pragma once

#include "modsim/WirePacer.h"

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

class PseudoTerminal;

// The module's end of the line: reads what the program writes to the slave and
// writes the module's replies, both through a pacer. Its notifiers belong to the
// thread that calls start().
class MasterPort final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MasterPort)

public:
    MasterPort(PseudoTerminal &terminal, QObject *parent = nullptr);

    void start();
    void setPaced(bool paced);
    void send(const QByteArray &bytes);
    // The line's rate now, as the program last set it.
    [[nodiscard]] int baudRate() const;

signals:
    // Bytes from the program, with the line's rate at the moment they were read.
    void received(const QByteArray &bytes, int baud);
    void failed(const QString &reason);

private:
    void readAvailable();
    void queueOutput(const QByteArray &bytes);
    void flush();

    PseudoTerminal &m_terminal;
    WirePacer m_inbound;
    WirePacer m_outbound;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QByteArray m_output;
};
