// send and stop: one transmission of a row as the grid's press-and-hold
// gives it, and the STOP frame on its own.

#include "cli/CliCommand.h"
#include "cli/CliDocument.h"
#include "cli/CliRun.h"
#include "cli/ModuleLine.h"
#include "core/common/ZoqError.h"
#include "core/device/SendExchange.h"
#include "core/signal/IrBlock.h"
#include "core/signal/IrDecoder.h"

namespace {

constexpr int ReleaseToStopMs = 50;
constexpr quint32 DefaultHoldMs = 500;

QString byteText(char byte)
{
    const auto value = uchar(byte);
    const QString hex = QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    return value >= 0x20 && value < 0x7F ? QStringLiteral("'%1' (%2)").arg(QLatin1Char(char(value))).arg(hex) : hex;
}

QString sendRefusal(const SendExchange::Reply &reply)
{
    if (reply.waiting == 0)
        return QStringLiteral("no answer to SEND");
    if (reply.waiting > 1)
        return QStringLiteral("module sent %1 bytes after SEND, not one").arg(reply.waiting);
    if (reply.byte == 'B')
        return QStringLiteral("module sent 'B': it does not transmit now");
    return QStringLiteral("module sent %1 after SEND, not 'A'").arg(byteText(reply.byte));
}

// Reads the 4-byte answer to STOP; false when it does not come.
bool stopAndAwaitAnswer(SendExchange &exchange, ModuleLine &line)
{
    exchange.stop(line.moduleId());
    char answer[SendExchange::StopReplySize];
    return line.link().read(answer, SendExchange::StopReplySize, SendExchange::StopReplySeconds);
}

void send(CliRun &run)
{
    const auto document = CliDocument::open(run.argument(0));
    CodeTable &table = document->table();
    const int row = int(run.number(QStringLiteral("row"), 1, quint32(qMax(table.recordCount(), 1))));
    const quint8 ports = quint8(run.number(QStringLiteral("ports"), 0, 0xFF, 0xFF));
    const int holdMs = int(run.number(QStringLiteral("hold"), 0, 3'600'000, DefaultHoldMs));
    const QByteArray irData = table.irDataAt(row - 1);
    if (!IrBlock::fromField(irData).isValid())
        throw ZoqError(QStringLiteral("row %1 holds no learned key").arg(row));

    ModuleLine line(run);
    SendExchange exchange(line.link(), run.prompt());
    if (!exchange.send(irData, line.moduleId(), ports))
        throw ZoqError(sendRefusal(exchange.lastReply()));
    // The key is held for the time asked, or until Ctrl+C.
    line.waitUnlessStopped(holdMs);
    SerialLink::pause(ReleaseToStopMs);
    if (!stopAndAwaitAnswer(exchange, line))
        throw ZoqError(QStringLiteral("row %1 was sent, but there was no answer to STOP").arg(row));
    run.tell(QStringLiteral("row %1 (%2) sent on ports 0x%3")
                 .arg(QString::number(row), IrDecoder::summary(IrBlock::fromField(irData)),
                      QString::number(ports, 16).toUpper().rightJustified(2, QLatin1Char('0'))));
}

void stop(CliRun &run)
{
    ModuleLine line(run);
    SendExchange exchange(line.link(), run.prompt());
    if (!stopAndAwaitAnswer(exchange, line))
        throw ZoqError(QStringLiteral("no answer to STOP (module ID %1 on %2)").arg(line.moduleId()).arg(line.portName()));
}

} // namespace

CliCommand sendCommand()
{
    return {QStringLiteral("send"),
            QStringLiteral("send DOC.zoq --row N --port PORT [--ports MASK] [--hold MS]"),
            QStringLiteral("Transmits a row's key through the module once."),
            QStringLiteral("Transmits the key of row N as the grid's press-and-hold does: SEND, the block "
                           "after the module's 'A', the key held for --hold milliseconds (or until Ctrl+C), "
                           "then STOP and its answer. An RC5/RC6 block goes out with its first capture."),
            {{QStringLiteral("DOC.zoq"), QStringLiteral("The document.")}},
            ModuleLine::options()
                << QCommandLineOption(QStringLiteral("row"), QStringLiteral("The row to send (1-512)."),
                                      QStringLiteral("N"))
                << QCommandLineOption(QStringLiteral("ports"),
                                      QStringLiteral("IR ports to send on, bit i = port i (default 0xFF)."),
                                      QStringLiteral("MASK"))
                << QCommandLineOption(QStringLiteral("hold"),
                                      QStringLiteral("How long the key is held, in ms (default 500)."),
                                      QStringLiteral("MS")),
            send};
}

CliCommand stopCommand()
{
    return {QStringLiteral("stop"),
            QStringLiteral("stop --port PORT [--id N]"),
            QStringLiteral("Ends a transmission of the module."),
            QStringLiteral("Writes the STOP frame and waits up to 3 s for the module's 4-byte answer."),
            {},
            ModuleLine::options(),
            stop};
}
