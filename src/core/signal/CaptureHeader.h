#pragma once

#include <QtGlobal>

// One entry of a capture's duration table: a gap in units of 9600/2212 us,
// then a carrier burst counted in carrier periods.
struct IrDuration
{
    quint16 gap = 0;
    quint16 burst = 0;

    friend bool operator==(const IrDuration &, const IrDuration &) = default;
};

// Read-only view of the 75-byte header that opens each capture, in a block and
// in the module's frames. Multi-byte numbers are big-endian.
class CaptureHeader
{
public:
    static constexpr int Size = 75;
    static constexpr int DurationCount = 16;
    static constexpr uchar MarkerValid = 0x72; // 'r'

    explicit CaptureHeader(const uchar *bytes)
        : m_bytes(bytes)
    {
    }

    [[nodiscard]] uchar marker() const { return m_bytes[0]; }
    // Carrier period in ticks of a 1,844,000 Hz clock; 0 means no carrier.
    [[nodiscard]] uchar carrierPeriod() const { return m_bytes[1]; }
    [[nodiscard]] quint16 repeatStart() const { return word(4); }
    [[nodiscard]] quint16 repeatEnd() const { return word(6); }
    [[nodiscard]] quint16 symbolCount() const { return word(8); }
    // Entry k (0..15) of the duration table.
    [[nodiscard]] IrDuration duration(int k) const
    {
        const int at = 11 + 4 * (k & 0x0F);
        return {word(at), word(at + 2)};
    }

private:
    [[nodiscard]] quint16 word(int at) const { return quint16((m_bytes[at] << 8) | m_bytes[at + 1]); }

    const uchar *m_bytes;
};
