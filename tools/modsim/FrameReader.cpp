#include "modsim/FrameReader.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// Frame layouts; '?' stands for a byte of any value (module ID, learn
// parameters, port bytes). The command letter at byte 2 tells them apart.
struct Layout
{
    FrameKind kind;
    QByteArrayView pattern;
};

constexpr char Any = '?';

constexpr std::array<Layout, 5> Layouts{{
    {FrameKind::Learn, QByteArrayView("\xE0?LEARN?????\xEF")},
    {FrameKind::Escape, QByteArrayView("\xE0?ESC\xEF")},
    {FrameKind::Send, QByteArrayView("\xE0?C??????\xEF")},
    {FrameKind::DownloadAll, QByteArrayView("\xE0?DOWNLOADALL\xEF")},
    {FrameKind::UploadAll, QByteArrayView("\xE0?UPLOADALL\xEF")},
}};

constexpr char StopPorts[] = "\xA0\xAA";

[[nodiscard]] const Layout *layoutFor(char command)
{
    for (const Layout &layout : Layouts) {
        if (layout.pattern.at(2) == command)
            return &layout;
    }
    return nullptr;
}

enum class Match
{
    Partial,
    Complete,
    Broken,
};

// How the bytes from a 0xE0 on fit the layout their command letter selects.
[[nodiscard]] Match match(const QByteArray &buffer, const Layout **layout)
{
    if (buffer.size() <= 2)
        return Match::Partial;
    *layout = layoutFor(buffer.at(2));
    if (!*layout)
        return Match::Broken;
    const QByteArrayView pattern = (*layout)->pattern;
    const qsizetype seen = std::min(buffer.size(), pattern.size());
    for (qsizetype i = 0; i < seen; ++i) {
        if (pattern.at(i) != Any && pattern.at(i) != buffer.at(i))
            return Match::Broken;
    }
    return seen == pattern.size() ? Match::Complete : Match::Partial;
}

[[nodiscard]] FrameKind kindOf(const Layout &layout, const QByteArray &frame)
{
    if (layout.kind == FrameKind::Send && frame.mid(4, 2) == QByteArrayView(StopPorts))
        return FrameKind::Stop;
    return layout.kind;
}

} // namespace

void FrameReader::push(uchar byte)
{
    m_buffer.append(char(byte));
    scan();
}

std::optional<ModuleFrame> FrameReader::takeFrame()
{
    if (m_ready.isEmpty())
        return std::nullopt;
    return m_ready.takeFirst();
}

int FrameReader::takeDiscarded()
{
    return std::exchange(m_discarded, 0);
}

void FrameReader::scan()
{
    while (!m_buffer.isEmpty()) {
        const qsizetype start = m_buffer.indexOf(char(ModuleFrame::Start));
        const qsizetype dropped = start < 0 ? m_buffer.size() : start;
        m_discarded += int(dropped);
        m_buffer.remove(0, dropped);
        if (m_buffer.isEmpty())
            return;

        const Layout *layout = nullptr;
        switch (match(m_buffer, &layout)) {
        case Match::Partial:
            return;
        case Match::Complete: {
            const QByteArray frame = m_buffer.first(layout->pattern.size());
            m_ready.append(ModuleFrame(kindOf(*layout, frame), frame));
            m_buffer.remove(0, frame.size());
            break;
        }
        case Match::Broken:
            m_buffer.remove(0, 1);
            ++m_discarded;
            break;
        }
    }
}
