#include "device/SendExchange.h"

#include "app/AppTexts.h"
#include "app/Prompt.h"
#include "device/Frames.h"
#include "device/SerialLink.h"
#include "device/SignalLayout.h"

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

bool SendExchange::IRSendRow(const QByteArray &irData, quint8 moduleId, quint8 portMask)
{
    const TIRDataBlock block = TIRDataBlock::fromField(irData);
    if (!block.isValid() || !m_link.claim())
        return false;
    const auto release = qScopeGuard([this] { m_link.release(); });
    m_alternation = !m_alternation;
    m_link.purgeRx();
    if (!m_link.WriteComm(Frames::send(moduleId, portMask)))
        return false;
    SerialLink::pause(ReplyDelayMs);
    // Only a single byte waiting is a reply.
    char reply = 0;
    const bool replied = m_link.pollQueued() == 1 && m_link.readQueued(&reply, 1) == 1;
    if (replied && reply == ReplySend) {
        for (const QByteArray &part : SignalLayout::transmissionWrites(block, m_alternation))
            m_link.WriteComm(part);
        return true;
    }
    if (!(replied && reply == ReplyRefused))
        m_prompt.notice(AppTexts::applicationTitle(), QStringLiteral("No found IR device!"));
    return false;
}

void SendExchange::IRStopExecute(quint8 moduleId)
{
    if (m_link.isBusy())
        return;
    m_link.WriteComm(Frames::stop(moduleId));
}
