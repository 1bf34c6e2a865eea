#pragma once

#include "core/formats/CodedKey.h"
#include "core/signal/IrResult.h"

// Collects the keys a reader finds, in file order. A capture marked as the
// second of an RC5/RC6 block joins the key read just before it; when either
// capture is refused, so is the whole key.
class CodeFileBuilder final
{
public:
    // A key with one capture, a protocol code, or the reason it cannot be
    // taken; secondCapture as its timing note says.
    void add(CodedKey key, bool secondCapture);
    void refuse(const CodedKey &key, const QString &reason, bool secondCapture);
    // Adds what read gave for key: its signal (set into key by fill) or the refusal.
    template <typename Signal, typename Fill>
    void addRead(CodedKey key, const IrResult<Signal> &read, bool secondCapture, Fill fill)
    {
        if (!read.isOk()) {
            refuse(key, read.error(), secondCapture);
            return;
        }
        fill(key, read.value());
        add(std::move(key), secondCapture);
    }

    [[nodiscard]] CodeFile take() { return std::move(m_file); }

private:
    [[nodiscard]] bool lastTakesSecondCapture() const;

    CodeFile m_file;
    // The last thing read was a key (not a refusal) that can take a second capture.
    bool m_lastWasKey = false;
};
