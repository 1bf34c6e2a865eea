#pragma once

#include <QByteArray>
#include <QtGlobal>

// Command frames to the module. Each starts with 0xE0 and ends with 0xEF;
// byte 1 carries the module ID, except in ESC.
namespace Frames {

// Bytes sent after each EEPROM slot.
inline constexpr char Continue = 'U';
inline constexpr char Cancel = 'C';

// Learn one key: time 1-3 (seconds), format 1 = Normal, 2 = RC5/RC6. 13 bytes.
[[nodiscard]] QByteArray learn(quint8 moduleId, quint8 learnTime, quint8 irFormat);
// Ends learning. 6 bytes.
[[nodiscard]] QByteArray esc();
// Transmit on the ports whose bits are set (bit i = port i). 10 bytes.
[[nodiscard]] QByteArray send(quint8 moduleId, quint8 portMask);
// Ends a transmission. 10 bytes.
[[nodiscard]] QByteArray stop(quint8 moduleId);
// EEPROM transfers: 14 and 12 bytes.
[[nodiscard]] QByteArray downloadAll(quint8 moduleId);
[[nodiscard]] QByteArray uploadAll(quint8 moduleId);

} // namespace Frames
