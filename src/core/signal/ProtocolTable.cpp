// The protocol families: timings from the protocols' public definitions
// (carrier, time unit, leader, bit coding, frame period) and how address and
// command sit in their bits.

#include "core/signal/BiphaseCoding.h"
#include "core/signal/ProtocolCodec.h"
#include "core/signal/PulseCoding.h"

namespace {

using Units = PulseCoding::Units;
using Cell = BiphaseCoding::Cell;
using Frames = QList<FrameBits>;

// Spaces inside a frame stay under 4 ms for every family here (the longest,
// a one of RCA or Sharp, is 1.85 ms plus its tolerance).
constexpr qint64 FrameGapUs = 4000;
constexpr qint64 MinSilenceUs = 10000;

[[nodiscard]] quint32 inverted(quint32 value, int width)
{
    return ~value & ((1u << width) - 1);
}

// NEC, NECext, NEC42, NEC42ext: address (plain: and its inverse), command,
// inverted command, LSB first; 32 or 42 bits.
Frames packNec(const IrCode &code)
{
    const bool wide = code.protocol == IrProtocol::Nec42 || code.protocol == IrProtocol::Nec42Ext;
    const int half = wide ? 13 : 8;
    FrameBits bits;
    if (code.protocol == IrProtocol::Nec || code.protocol == IrProtocol::Nec42) {
        bits.appendLsb(code.address, half);
        bits.appendLsb(inverted(code.address, half), half);
    } else {
        bits.appendLsb(code.address, 2 * half);
    }
    bits.appendLsb(code.command, 8);
    bits.appendLsb(inverted(code.command, 8), 8);
    return {bits};
}

std::optional<IrCode> unpackNec(const Frames &frames)
{
    const FrameBits &bits = frames.first();
    const int half = bits.count == 32 ? 8 : bits.count == 42 ? 13 : 0;
    if (half == 0)
        return std::nullopt;
    const quint32 low = bits.takeLsb(0, half);
    const quint32 high = bits.takeLsb(half, half);
    const quint32 command = bits.takeLsb(2 * half, 8);
    if (bits.takeLsb(2 * half + 8, 8) != inverted(command, 8))
        return std::nullopt;
    const bool plain = high == inverted(low, half);
    const IrProtocol protocol = half == 8 ? (plain ? IrProtocol::Nec : IrProtocol::NecExt)
                                          : (plain ? IrProtocol::Nec42 : IrProtocol::Nec42Ext);
    return IrCode{protocol, plain ? low : low | high << half, command};
}

// Samsung32: address twice, command, inverted command, LSB first.
Frames packSamsung(const IrCode &code)
{
    FrameBits bits;
    bits.appendLsb(code.address, 8);
    bits.appendLsb(code.address, 8);
    bits.appendLsb(code.command, 8);
    bits.appendLsb(inverted(code.command, 8), 8);
    return {bits};
}

std::optional<IrCode> unpackSamsung(const Frames &frames)
{
    const FrameBits &bits = frames.first();
    if (bits.count != 32 || bits.takeLsb(0, 8) != bits.takeLsb(8, 8)
        || bits.takeLsb(24, 8) != inverted(bits.takeLsb(16, 8), 8))
        return std::nullopt;
    return IrCode{IrProtocol::Samsung32, bits.takeLsb(0, 8), bits.takeLsb(16, 8)};
}

// SIRC: command 7 bits, then the device (5, 8, or 5 + 8 extended bits), LSB
// first; the bit count tells the three apart.
Frames packSirc(const IrCode &code)
{
    const int addressBits = code.protocol == IrProtocol::Sirc ? 5 : code.protocol == IrProtocol::Sirc15 ? 8 : 13;
    FrameBits bits;
    bits.appendLsb(code.command, 7);
    bits.appendLsb(code.address, addressBits);
    return {bits};
}

std::optional<IrCode> unpackSirc(const Frames &frames)
{
    const FrameBits &bits = frames.first();
    IrProtocol protocol = IrProtocol::Sirc;
    switch (bits.count) {
    case 12:
        break;
    case 15:
        protocol = IrProtocol::Sirc15;
        break;
    case 20:
        protocol = IrProtocol::Sirc20;
        break;
    default:
        return std::nullopt;
    }
    return IrCode{protocol, bits.takeLsb(7, bits.count - 7), bits.takeLsb(0, 7)};
}

// JVC: address, command, LSB first.
Frames packJvc(const IrCode &code)
{
    FrameBits bits;
    bits.appendLsb(code.address, 8);
    bits.appendLsb(code.command, 8);
    return {bits};
}

std::optional<IrCode> unpackJvc(const Frames &frames)
{
    const FrameBits &bits = frames.first();
    if (bits.count != 16)
        return std::nullopt;
    return IrCode{IrProtocol::Jvc, bits.takeLsb(0, 8), bits.takeLsb(8, 8)};
}

// Kaseikyo: manufacturer 16, its parity nibble, device 4, subdevice 8,
// function 8, extra 4, check nibble, LSB first.
[[nodiscard]] quint32 nibbleParity(quint32 value)
{
    return (value ^ value >> 4 ^ value >> 8 ^ value >> 12 ^ value >> 16 ^ value >> 20) & 0xF;
}

[[nodiscard]] quint32 kaseikyoCheck(quint32 device, quint32 subdevice, quint32 function, quint32 extra)
{
    return nibbleParity(device | subdevice << 4 | function << 12 | extra << 20);
}

Frames packKaseikyo(const IrCode &code)
{
    const quint32 manufacturer = code.address >> 12;
    const quint32 device = code.address >> 8 & 0xF;
    const quint32 subdevice = code.address & 0xFF;
    const quint32 function = code.command & 0xFF;
    const quint32 extra = code.command >> 8;
    FrameBits bits;
    bits.appendLsb(manufacturer, 16);
    bits.appendLsb(nibbleParity(manufacturer), 4);
    bits.appendLsb(device, 4);
    bits.appendLsb(subdevice, 8);
    bits.appendLsb(function, 8);
    bits.appendLsb(extra, 4);
    bits.appendLsb(kaseikyoCheck(device, subdevice, function, extra), 4);
    return {bits};
}

std::optional<IrCode> unpackKaseikyo(const Frames &frames)
{
    const FrameBits &bits = frames.first();
    if (bits.count != 48)
        return std::nullopt;
    const quint32 manufacturer = bits.takeLsb(0, 16);
    const quint32 device = bits.takeLsb(20, 4);
    const quint32 subdevice = bits.takeLsb(24, 8);
    const quint32 function = bits.takeLsb(32, 8);
    const quint32 extra = bits.takeLsb(40, 4);
    if (bits.takeLsb(16, 4) != nibbleParity(manufacturer)
        || bits.takeLsb(44, 4) != kaseikyoCheck(device, subdevice, function, extra))
        return std::nullopt;
    return IrCode{IrProtocol::Kaseikyo, manufacturer << 12 | device << 8 | subdevice, extra << 8 | function};
}

// Sharp and Denon: two halves of address 5, command 8 and two closing bits,
// LSB first; the second half has command and closing bits inverted. The
// first half's closing bits are 1 for Sharp, 0 for Denon.
Frames packSharp(const IrCode &code)
{
    const quint32 expansion = code.protocol == IrProtocol::Sharp ? 1 : 0;
    FrameBits first;
    first.appendLsb(code.address, 5);
    first.appendLsb(code.command, 8);
    first.appendLsb(expansion, 2);
    FrameBits second;
    second.appendLsb(code.address, 5);
    second.appendLsb(inverted(code.command, 8), 8);
    second.appendLsb(inverted(expansion, 2), 2);
    return {first, second};
}

std::optional<IrCode> unpackSharp(const Frames &frames)
{
    const FrameBits &first = frames.at(0);
    const FrameBits &second = frames.at(1);
    const quint32 expansion = first.takeLsb(13, 2);
    if (first.count != 15 || second.count != 15 || expansion > 1 || first.takeLsb(0, 5) != second.takeLsb(0, 5)
        || second.takeLsb(5, 8) != inverted(first.takeLsb(5, 8), 8)
        || second.takeLsb(13, 2) != inverted(expansion, 2))
        return std::nullopt;
    return IrCode{expansion == 1 ? IrProtocol::Sharp : IrProtocol::Denon, first.takeLsb(0, 5), first.takeLsb(5, 8)};
}

// RCA: address 4, command 8, then both inverted, MSB first.
Frames packRca(const IrCode &code)
{
    FrameBits bits;
    bits.appendMsb(code.address, 4);
    bits.appendMsb(code.command, 8);
    bits.appendMsb(inverted(code.address, 4), 4);
    bits.appendMsb(inverted(code.command, 8), 8);
    return {bits};
}

std::optional<IrCode> unpackRca(const Frames &frames)
{
    const FrameBits &bits = frames.first();
    if (bits.count != 24 || bits.takeMsb(12, 4) != inverted(bits.takeMsb(0, 4), 4)
        || bits.takeMsb(16, 8) != inverted(bits.takeMsb(4, 8), 8))
        return std::nullopt;
    return IrCode{IrProtocol::Rca, bits.takeMsb(0, 4), bits.takeMsb(4, 8)};
}

// RC5 after its first start bit: field (inverted command bit 6), toggle,
// address 5, command 6, MSB first. A field bit of 0 is RC5X.
Frames packRc5(const IrCode &code)
{
    FrameBits bits;
    bits.push((code.command & 0x40) == 0);
    bits.push(code.toggle);
    bits.appendMsb(code.address, 5);
    bits.appendMsb(code.command & 0x3F, 6);
    return {bits};
}

std::optional<IrCode> unpackRc5(const Frames &frames)
{
    const FrameBits &bits = frames.first();
    if (bits.count != 13)
        return std::nullopt;
    const bool field = bits.at(0);
    return IrCode{field ? IrProtocol::Rc5 : IrProtocol::Rc5x, bits.takeMsb(2, 5),
                  bits.takeMsb(7, 6) | (field ? 0u : 0x40u), bits.at(1)};
}

// RC6 mode 0: start bit 1, mode 000, toggle (double width), address 8,
// command 8, MSB first.
Frames packRc6(const IrCode &code)
{
    FrameBits bits;
    bits.push(true);
    bits.appendMsb(0, 3);
    bits.push(code.toggle);
    bits.appendMsb(code.address, 8);
    bits.appendMsb(code.command, 8);
    return {bits};
}

std::optional<IrCode> unpackRc6(const Frames &frames)
{
    const FrameBits &bits = frames.first();
    if (bits.count != 21 || !bits.at(0) || bits.takeMsb(1, 3) != 0)
        return std::nullopt;
    return IrCode{IrProtocol::Rc6, bits.takeMsb(5, 8), bits.takeMsb(13, 8), bits.at(4)};
}

[[nodiscard]] QList<Cell> rc5Cells()
{
    QList<Cell> cells{{Cell::Kind::Space, 1}, {Cell::Kind::Mark, 1}};
    cells.append(QList<Cell>(13, {Cell::Kind::Bit, 1}));
    return cells;
}

[[nodiscard]] QList<Cell> rc6Cells()
{
    QList<Cell> cells{{Cell::Kind::Mark, 6}, {Cell::Kind::Space, 2}};
    cells.append(QList<Cell>(4, {Cell::Kind::Bit, 1}));
    cells.append({Cell::Kind::Bit, 2});
    cells.append(QList<Cell>(16, {Cell::Kind::Bit, 1}));
    return cells;
}

struct Table
{
    PulseCoding nec{564, {16, 8}, {1, 1}, {1, 3}, true, FrameGapUs};
    PulseCoding necRepeat{564, {16, 4}, {1, 1}, {1, 3}, true, FrameGapUs};
    PulseCoding samsung{560, {8, 8}, {1, 1}, {1, 3}, true, FrameGapUs};
    PulseCoding sirc{600, {4, 1}, {1, 1}, {2, 1}, false, 2000};
    PulseCoding jvc{527, {16, 8}, {1, 1}, {1, 3}, true, FrameGapUs};
    PulseCoding kaseikyo{432, {8, 4}, {1, 1}, {1, 3}, true, FrameGapUs};
    PulseCoding sharp{264, {0, 0}, {1, 3}, {1, 7}, true, FrameGapUs};
    PulseCoding rca{460, {8, 8}, {1, 2}, {1, 4}, true, FrameGapUs};
    BiphaseCoding rc5{889, rc5Cells(), false, FrameGapUs};
    BiphaseCoding rc6{444, rc6Cells(), true, FrameGapUs};

    using P = IrProtocol;
    QList<ProtocolCodec> codecs{
        ProtocolCodec({{P::Nec, P::NecExt, P::Nec42, P::Nec42Ext}, 38000, &nec, 108000, MinSilenceUs, 1, false,
                       &necRepeat, packNec, unpackNec}),
        ProtocolCodec({{P::Samsung32}, 38000, &samsung, 108000, MinSilenceUs, 1, false, nullptr, packSamsung,
                       unpackSamsung}),
        ProtocolCodec({{P::Sirc, P::Sirc15, P::Sirc20}, 40000, &sirc, 45000, 5000, 1, false, nullptr, packSirc,
                       unpackSirc}),
        ProtocolCodec({{P::Jvc}, 37900, &jvc, 59000, MinSilenceUs, 1, true, nullptr, packJvc, unpackJvc}),
        ProtocolCodec({{P::Kaseikyo}, 37000, &kaseikyo, 0, 173 * 432, 1, false, nullptr, packKaseikyo,
                       unpackKaseikyo}),
        ProtocolCodec({{P::Sharp, P::Denon}, 38000, &sharp, 0, 165 * 264, 2, false, nullptr, packSharp,
                       unpackSharp}),
        ProtocolCodec({{P::Rca}, 58000, &rca, 0, 16 * 460, 1, false, nullptr, packRca, unpackRca}),
        ProtocolCodec({{P::Rc5, P::Rc5x}, 36000, &rc5, 114000, MinSilenceUs, 1, false, nullptr, packRc5,
                       unpackRc5}),
        ProtocolCodec({{P::Rc6}, 36000, &rc6, 107000, MinSilenceUs, 1, false, nullptr, packRc6, unpackRc6}),
    };
    QList<const ProtocolCodec *> pointers;

    Table()
    {
        for (const ProtocolCodec &codec : codecs)
            pointers.append(&codec);
    }
};

const Table &table()
{
    static const Table instance;
    return instance;
}

} // namespace

const QList<const ProtocolCodec *> &ProtocolCodec::all()
{
    return table().pointers;
}

const ProtocolCodec &ProtocolCodec::forProtocol(IrProtocol protocol)
{
    for (const ProtocolCodec *codec : all()) {
        if (codec->handles(protocol))
            return *codec;
    }
    Q_UNREACHABLE();
}
