#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// Remote-control protocols the decoders recognise and the encoders produce.
// Names (irProtocolName) are the ones code files and the command line use;
// lookup by name ignores case.
//
// Address and command of each protocol, as numbers (bits sent in brackets):
//   NEC        address 0..0xFF        command 0..0xFF   (address, ~address, command, ~command)
//   NECext     address 0..0xFFFF      command 0..0xFF   (address low byte, high byte, command,
//              ~command); an address whose high byte is the inverted low byte is NEC's form and
//              is refused: it is NEC with the low byte as address
//   NEC42      address 0..0x1FFF      command 0..0xFF   (13 bits, ~13 bits, command, ~command)
//   NEC42ext   address 0..0x3FFFFFF   command 0..0xFF   (low 13 bits, high 13 bits, ...); the
//              NEC42 form (high = inverted low) is refused likewise
//   Samsung32  address 0..0xFF        command 0..0xFF   (address twice, command, ~command)
//   SIRC       address 0..0x1F        command 0..0x7F   (command 7, device 5)
//   SIRC15     address 0..0xFF        command 0..0x7F   (command 7, device 8)
//   SIRC20     address 0..0x1FFF      command 0..0x7F   (command 7, device 5 = address bits 0-4,
//              extended 8 = address bits 5-12)
//   RC5        address 0..0x1F        command 0..0x3F   toggle
//   RC5X       address 0..0x1F        command 0x40..0x7F toggle (RC5 with the field bit 0, which
//              stands for command bit 6)
//   RC6        address 0..0xFF        command 0..0xFF   toggle (mode 0)
//   JVC        address 0..0xFF        command 0..0xFF
//   Kaseikyo   address 0..0xFFFFFFF   command 0..0xFFF  address = manufacturer << 12 | device << 8
//              | subdevice (manufacturer 16 bits, device 4, subdevice 8); command = extra << 8 |
//              function (extra 4 bits, function 8); the parity and check nibbles are computed
//   Sharp      address 0..0x1F        command 0..0xFF   (Sharp's expansion and check bits 1, 0)
//   Denon      address 0..0x1F        command 0..0xFF   (the same frame with the bits 0, 0)
//   RCA        address 0..0xF         command 0..0xFF
enum class IrProtocol
{
    Nec,
    NecExt,
    Nec42,
    Nec42Ext,
    Samsung32,
    Sirc,
    Sirc15,
    Sirc20,
    Rc5,
    Rc5x,
    Rc6,
    Jvc,
    Kaseikyo,
    Sharp,
    Denon,
    Rca,
};

struct IrProtocolInfo
{
    IrProtocol protocol = IrProtocol::Nec;
    QLatin1StringView name;
    quint32 addressMax = 0;
    quint32 commandMin = 0;
    quint32 commandMax = 0;
    bool hasToggle = false;
};

[[nodiscard]] const IrProtocolInfo &irProtocolInfo(IrProtocol protocol);
[[nodiscard]] QString irProtocolName(IrProtocol protocol);
[[nodiscard]] std::optional<IrProtocol> irProtocolFromName(QStringView name);
[[nodiscard]] QList<IrProtocol> allIrProtocols();
