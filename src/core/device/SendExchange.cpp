#include "core/device/SendExchange.h"

#include "core/common/AppTexts.h"
#include "core/common/Prompt.h"
#include "core/device/Frames.h"
#include "core/device/SerialLink.h"
#include "core/device/SignalLayout.h"

#include <QScopeGuard>

namespace {

constexpr char ReplySend = 'A';
constexpr char ReplyRefused = 'B';

} // namespace

SendExchange::SendExchange(SerialLink &link, Prompt &prompt)
    : m_link(link)
    , m_prompt(prompt)
{
}

bool SendExchange::send(const QByteArray &irData, quint8 moduleId, quint8 portMask)
{
    const IrBlock block = IrBlock::fromField(irData);
    if (!block.isValid() || !m_link.claim())
        return false;
    const auto release = qScopeGuard([this] { m_link.release(); });
    m_alternation = !m_alternation;
    m_lastReply = {};
    m_link.purgeRx();
    if (!m_link.write(Frames::send(moduleId, portMask)))
        return false;
    SerialLink::pause(ReplyDelayMs);
    // Only a single byte waiting is a reply.
    char reply = 0;
    m_lastReply.waiting = m_link.pollQueued();
    const bool replied = m_lastReply.waiting == 1 && m_link.readQueued(&reply, 1) == 1;
    m_lastReply.byte = reply;
    if (replied && reply == ReplySend) {
        for (const QByteArray &part : SignalLayout::transmissionWrites(block, m_alternation))
            m_link.write(part);
        return true;
    }
    if (!(replied && reply == ReplyRefused))
        m_prompt.notice(AppTexts::applicationTitle(), QStringLiteral("No found IR device!"));
    return false;
}

void SendExchange::stop(quint8 moduleId)
{
    if (m_link.isBusy())
        return;
    m_link.write(Frames::stop(moduleId));
}
