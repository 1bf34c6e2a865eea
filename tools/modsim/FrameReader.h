#pragma once

#include "modsim/ModuleFrame.h"

#include <QList>

#include <optional>

// Finds command frames in the byte stream. Bytes outside a frame are dropped;
// a candidate that stops matching its command's layout is dropped up to the
// next 0xE0, so the reader falls back in step with the next frame.
class FrameReader final
{
public:
    void push(uchar byte);
    // The oldest complete frame not yet taken.
    [[nodiscard]] std::optional<ModuleFrame> takeFrame();
    // Bytes dropped since the last call.
    [[nodiscard]] int takeDiscarded();

private:
    void scan();

    QByteArray m_buffer;
    QList<ModuleFrame> m_ready;
    int m_discarded = 0;
};
