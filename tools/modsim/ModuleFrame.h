#pragma once

#include <QByteArray>
#include <QString>

enum class FrameKind
{
    Learn,
    Escape,
    Send,
    Stop,
    DownloadAll,
    UploadAll,
};

// A complete command frame as the module received it: 0xE0, module ID (0 in
// ESC), the command, 0xEF.
class ModuleFrame final
{
public:
    static constexpr uchar Start = 0xE0;
    static constexpr uchar End = 0xEF;

    ModuleFrame(FrameKind kind, const QByteArray &bytes);

    [[nodiscard]] FrameKind kind() const { return m_kind; }
    [[nodiscard]] const QByteArray &bytes() const { return m_bytes; }
    [[nodiscard]] int moduleId() const { return byte(1); }
    // LEARN: learn time 1..3 and IR format (2 = RC5/RC6, two captures).
    [[nodiscard]] int learnTime() const { return byte(7); }
    [[nodiscard]] int irFormat() const { return byte(8); }
    // SEND: bit i = port i, from the low nibbles of bytes 4 (ports 0-3) and 5 (ports 4-7).
    [[nodiscard]] quint8 portMask() const { return quint8((byte(4) & 0x0F) | (byte(5) & 0x0F) << 4); }

    // "LEARN id 1 time 2 format 1" and the like, for the log.
    [[nodiscard]] QString describe() const;

private:
    [[nodiscard]] int byte(int at) const { return uchar(m_bytes.at(at)); }

    FrameKind m_kind;
    QByteArray m_bytes;
};

[[nodiscard]] QString frameKindName(FrameKind kind);
