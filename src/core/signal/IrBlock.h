#pragma once

#include "core/signal/CaptureHeader.h"

#include <QByteArray>

#include <array>

// The 512-byte learned signal of one slot, the value of "IR Data".
//   0..74    header of the first capture (byte 0 'r' marks a valid block)
//   128..202 header of the second capture (byte 128 'r' in an RC5/RC6 block)
//   240..255 function name, up to 15 bytes and a zero byte
//   256..511 symbol stream: first capture (Normal: all of it; RC5/RC6: 256..383),
//            second capture at 384..511
// The name is single-byte text in the code page of the system that wrote it;
// the block holds its bytes, NameEncoding turns them into text and back.
class IrBlock
{
public:
    static constexpr int Size = 512;
    static constexpr int SecondHeaderOffset = 128;
    static constexpr int NameOffset = 240;
    static constexpr int NameLength = 15;
    static constexpr int SymbolsOffset = 256;
    static constexpr int SecondSymbolsOffset = 384;
    static constexpr int MaxSymbols = 512;

    // 512 zero bytes: an empty slot.
    IrBlock();

    // 512 bytes of one value (0xFF: an erased EEPROM slot).
    [[nodiscard]] static IrBlock filled(uchar value);
    // The first 512 bytes of a field; missing bytes take the value fill.
    [[nodiscard]] static IrBlock fromField(const QByteArray &field, uchar fill = 0xFF);

    [[nodiscard]] bool isValid() const { return m_bytes[0] == CaptureHeader::MarkerValid; }
    [[nodiscard]] bool isRc5Rc6() const
    {
        return isValid() && m_bytes[SecondHeaderOffset] == CaptureHeader::MarkerValid;
    }

    // Header of capture 0 (offset 0) or capture 1 (offset 128).
    [[nodiscard]] CaptureHeader header(int capture = 0) const
    {
        return CaptureHeader(m_bytes.data() + (capture == 0 ? 0 : SecondHeaderOffset));
    }

    // Symbol i (0..511) of the stream at offset 256: even i in the low nibble,
    // odd i in the high nibble. Indexes outside 0..511 read as symbol 0, so no
    // reader ever leaves the block.
    [[nodiscard]] int symbol(int i) const
    {
        if (i < 0 || i >= MaxSymbols)
            return 0;
        const uchar b = m_bytes[SymbolsOffset + i / 2];
        return (i % 2 == 0) ? (b & 0x0F) : (b >> 4);
    }

    // Bytes from offset 240 up to the first zero byte, at most 15 (byte 255
    // always counts as zero).
    [[nodiscard]] QByteArray nameBytes() const;
    // The name bytes of a row's "IR Data" field: the name ends where the
    // field ends, so bytes the field lacks never read as part of it.
    [[nodiscard]] static QByteArray nameBytesOfField(const QByteArray &field);
    // Writes the bytes (cut to 15) and one zero byte from offset 240; the
    // bytes after the zero byte keep their values.
    void setNameBytes(const QByteArray &name);

    [[nodiscard]] uchar at(int offset) const { return m_bytes[offset]; }
    void set(int offset, uchar value) { m_bytes[offset] = value; }
    [[nodiscard]] const uchar *data() const { return m_bytes.data(); }
    [[nodiscard]] uchar *data() { return m_bytes.data(); }
    [[nodiscard]] QByteArray toByteArray() const;

    friend bool operator==(const IrBlock &, const IrBlock &) = default;

private:
    std::array<uchar, Size> m_bytes{};
};
