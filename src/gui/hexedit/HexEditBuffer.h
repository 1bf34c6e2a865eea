#pragma once

#include <QByteArray>

#include <functional>

// The bytes of the hex editor with a mark for each byte changed since the
// last load. Every edit is one splice: some bytes out, some bytes in.
class HexEditBuffer final
{
public:
    // Bytes with their change marks (one 0/1 byte per byte).
    struct Span
    {
        QByteArray bytes;
        QByteArray marks;
    };

    // Called after every splice with where it happened and how many bytes
    // went out and came in.
    using Listener = std::function<void(int position, int removed, int inserted)>;

    // Replaces everything; no byte is marked.
    void load(const QByteArray &bytes);
    void setListener(Listener listener) { m_listener = std::move(listener); }

    [[nodiscard]] const QByteArray &bytes() const { return m_span.bytes; }
    [[nodiscard]] int size() const { return int(m_span.bytes.size()); }
    [[nodiscard]] bool isChanged(int index) const { return m_span.marks.at(index) != 0; }

    // Replaces count bytes at position by replacement and returns what was
    // there. position and count must lie within the content.
    Span splice(int position, int count, const Span &replacement);

    // New bytes, every one marked as changed.
    [[nodiscard]] static Span changedSpan(const QByteArray &bytes);

private:
    Span m_span;
    Listener m_listener;
};
