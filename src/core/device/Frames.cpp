#include "core/device/Frames.h"

namespace {

constexpr char Start = char(0xE0);
constexpr char End = char(0xEF);

QByteArray frame(quint8 address, const QByteArray &body)
{
    return QByteArray(1, Start) + char(address) + body + End;
}

QByteArray sendCommand(quint8 moduleId, quint8 low, quint8 high, const QByteArray &tail)
{
    return frame(moduleId, QByteArrayLiteral("C") + '\0' + char(low) + char(high) + tail);
}

} // namespace

namespace Frames {

QByteArray learn(quint8 moduleId, quint8 learnTime, quint8 irFormat)
{
    return frame(moduleId, QByteArrayLiteral("LEARN") + char(learnTime) + char(irFormat) + "000");
}

QByteArray esc()
{
    return frame(0, QByteArrayLiteral("ESC"));
}

QByteArray send(quint8 moduleId, quint8 portMask)
{
    return sendCommand(moduleId, portMask & 0x0F, portMask >> 4, QByteArrayLiteral("000"));
}

QByteArray stop(quint8 moduleId)
{
    return sendCommand(moduleId, 0xA0, 0xAA, QByteArray(3, '\0'));
}

QByteArray downloadAll(quint8 moduleId)
{
    return frame(moduleId, QByteArrayLiteral("DOWNLOADALL"));
}

QByteArray uploadAll(quint8 moduleId)
{
    return frame(moduleId, QByteArrayLiteral("UPLOADALL"));
}

} // namespace Frames
