#pragma once

#include <QByteArray>
#include <QtGlobal>

class Prompt;
class SerialLink;

// Send and stop: the module transmits a block on the chosen ports until the
// STOP frame. An RC5/RC6 block goes out with its two captures in turn.
class SendExchange final
{
    Q_DISABLE_COPY_MOVE(SendExchange)

public:
    static constexpr int ReplyDelayMs = 50;
    // The module answers STOP with 4 bytes within 3 s; the caller of the
    // press-and-hold gesture reads and drops them.
    static constexpr int StopReplySize = 4;
    static constexpr int StopReplySeconds = 3;

    // What was waiting 50 ms after the last SEND frame: only a single byte
    // counts as the reply.
    struct Reply
    {
        int waiting = 0;
        char byte = 0; // with waiting == 1
    };

    SendExchange(SerialLink &link, Prompt &prompt);

    // Sends the block of irData (its first 512 bytes). True when the module
    // answered 'A' and the block went out. Nothing is written for a block
    // without the valid mark, or while another exchange holds the line.
    bool send(const QByteArray &irData, quint8 moduleId, quint8 portMask);
    // Writes the STOP frame (unless another exchange holds the line).
    void stop(quint8 moduleId);

    // Which capture of an RC5/RC6 block the last send transmitted: true for
    // the second.
    [[nodiscard]] bool alternation() const { return m_alternation; }
    [[nodiscard]] const Reply &lastReply() const { return m_lastReply; }

private:
    SerialLink &m_link;
    Prompt &m_prompt;
    bool m_alternation = false;
    Reply m_lastReply;
};
