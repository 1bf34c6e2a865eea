#include "core/device/LearnRun.h"

#include "core/common/AppTexts.h"
#include "core/common/Prompt.h"
#include "core/device/Frames.h"
#include "core/device/LearnHost.h"
#include "core/device/SerialLink.h"
#include "core/device/SignalLayout.h"

#include <QScopeGuard>

LearnRun::LearnRun(SerialLink &link, Prompt &prompt, LearnHost &host)
    : m_link(link)
    , m_prompt(prompt)
    , m_host(host)
{
}

void LearnRun::learnOrStop(const Parameters &parameters)
{
    if (m_learning) {
        m_learning = false;
        m_link.wakeWait();
        return;
    }
    if (!m_link.claim())
        return;
    const auto release = qScopeGuard([this] { m_link.release(); });
    run(parameters);
}

void LearnRun::run(const Parameters &parameters)
{
    m_host.detachRowChangeHook();
    const auto end = qScopeGuard([this] { finish(); });
    const QList<int> rows = m_host.selectedRows();
    const bool roll = rows.size() > 1;
    m_learning = true;
    for (const int row : rows) {
        if (!m_learning || !learnRow(row, parameters, roll))
            break;
    }
}

bool LearnRun::learnRow(int row, const Parameters &parameters, bool roll)
{
    m_host.makeCurrent(row);
    // A name the blocks cannot hold stops the run before the module waits for a key.
    const QByteArray name = m_host.currentNameBytes();
    m_link.purgeRx();
    if (!m_link.write(Frames::learn(parameters.moduleId, parameters.learnTime, parameters.irFormat)))
        return false;
    char acknowledgement = 0;
    if (!m_link.read(&acknowledgement, 1, AcknowledgeSeconds)) {
        m_prompt.notice(AppTexts::applicationTitle(), QStringLiteral("No found IR device!"));
        return false;
    }
    m_host.setCapturing(true);
    if (!awaitCapture(SignalLayout::captureSize(parameters.irFormat)))
        return false;
    const QByteArray capture(m_link.received().constData(), m_link.bytesRead());
    // The acknowledgement wait keeps the window live, so the current row may
    // have moved meanwhile: the key belongs to the row it was learned for.
    m_host.makeCurrent(row);
    m_host.storeBlock(SignalLayout::blockFromCapture(capture, parameters.irFormat, name));
    m_host.drawWave(roll);
    m_host.scrollWaveToStart();
    SerialLink::pause(PauseAfterCaptureMs);
    return true;
}

bool LearnRun::awaitCapture(int size)
{
    // No time limit: the user ends the wait with Stop, which wakes it, or by
    // quitting the program.
    while (m_learning) {
        if (m_link.pollQueued() >= size) {
            m_link.readQueued(m_link.received().data(), SerialLink::ReceiveBufferSize);
            return true;
        }
        if (!m_link.waitForInput(-1))
            return false;
    }
    return false;
}

void LearnRun::finish()
{
    m_host.attachRowChangeHook();
    m_link.write(Frames::esc());
    m_host.setCapturing(false);
    m_learning = false;
}
