#include "modsim/SimulatorEngine.h"

#include "core/signal/IrTiming.h"
#include "modsim/EepromStore.h"
#include "modsim/LearnedCapture.h"
#include "modsim/SimulatorContext.h"

#include <QStringList>

#include <algorithm>
#include <utility>

namespace {

constexpr int NormalBaud = 9600;
constexpr int BulkBaud = 115200;
constexpr int HalfSlot = EepromStore::SlotSize / 2;
constexpr int UploadPollMs = 10;
constexpr char Ack = 'A';
constexpr char Refusal = 'B';
constexpr char Garbage = char(0xFF);
constexpr char StopAnswer = 'K';
constexpr uchar Continue = 'U';
constexpr uchar Cancel = 'C';

[[nodiscard]] QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

[[nodiscard]] QString outcomeName(TransferOutcome outcome)
{
    switch (outcome) {
    case TransferOutcome::Completed:
        return QStringLiteral("completed");
    case TransferOutcome::Cancelled:
        return QStringLiteral("cancelled by the program");
    case TransferOutcome::Silenced:
        return QStringLiteral("module fell silent on request");
    case TransferOutcome::TimedOut:
        return QStringLiteral("program went quiet");
    case TransferOutcome::WrongSpeed:
        return QStringLiteral("line not at 115200 baud");
    case TransferOutcome::Interrupted:
        break;
    }
    return QStringLiteral("neither 'U' nor 'C' after a slot");
}

// What the block would look like on the air, for the log.
[[nodiscard]] QString describeBlock(const QByteArray &block, quint8 portMask)
{
    const int period = uchar(block.at(1));
    const int symbols = uchar(block.at(8)) << 8 | uchar(block.at(9));
    const QString carrier = period == 0 ? QStringLiteral("no carrier")
                                        : QStringLiteral("%1 Hz").arg(IrTiming::ClockHz / period);
    QStringList ports;
    for (int i = 0; i < 8; ++i) {
        if (portMask >> i & 1)
            ports.append(QString::number(i));
    }
    return QStringLiteral("transmitting %1 symbols at %2 on ports %3 until STOP")
        .arg(symbols)
        .arg(carrier, ports.isEmpty() ? QStringLiteral("(none)") : ports.join(QLatin1Char(',')));
}

} // namespace

SimulatorEngine::SimulatorEngine(SimulatorContext &context, PseudoTerminal &terminal, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_port(terminal, this)
    , m_captureTimer(this)
    , m_phaseTimer(this)
    , m_speedPoll(this)
{
    m_captureTimer.setSingleShot(true);
    m_phaseTimer.setSingleShot(true);
    m_speedPoll.setInterval(UploadPollMs);
    connect(&m_captureTimer, &QTimer::timeout, this, &SimulatorEngine::sendCapture);
    connect(&m_phaseTimer, &QTimer::timeout, this, &SimulatorEngine::phaseTimedOut);
    connect(&m_speedPoll, &QTimer::timeout, this, &SimulatorEngine::pollUploadStart);
    connect(&m_port, &MasterPort::received, this, &SimulatorEngine::consume);
    connect(&m_port, &MasterPort::failed, this, &SimulatorEngine::say);
}

void SimulatorEngine::start()
{
    applySettings();
    m_port.start();
}

void SimulatorEngine::applySettings()
{
    m_settings = m_context.settings();
    m_port.setPaced(m_settings.paced);
}

void SimulatorEngine::consume(const QByteArray &bytes, int baud)
{
    m_settings = m_context.settings();
    m_context.count(&SimulatorCounters::bytesReceived, int(bytes.size()));
    int ignored = 0;
    for (const char byte : bytes) {
        if (!consumeByte(uchar(byte), baud))
            ++ignored;
    }
    if (ignored > 0) {
        m_context.count(&SimulatorCounters::wrongRateBytes, ignored);
        say(QStringLiteral("   %1 byte%2 at %3 baud ignored: not the rate the module listens at")
                .arg(ignored)
                .arg(ignored == 1 ? QString() : QStringLiteral("s"))
                .arg(baud));
    }
    if (const int dropped = m_reader.takeDiscarded())
        m_context.count(&SimulatorCounters::garbageBytes, dropped);
}

// Every byte counts at the rate the line had when it was read: sent at another
// rate than the module's UART runs at, it is only noise to the module. Frames
// and the block after SEND come at 9600, the bulk of a transfer and the 'U' or
// 'C' after each slot at 115200. False when the byte is ignored for its rate.
bool SimulatorEngine::consumeByte(uchar byte, int baud)
{
    switch (m_phase) {
    case Phase::Command:
    case Phase::Block:
        if (baud != NormalBaud)
            return false;
        if (m_phase == Phase::Block)
            collectBlock(byte);
        else
            readFrameByte(byte);
        return true;
    case Phase::SlotFirstHalf:
    case Phase::SlotSecondHalf:
    case Phase::SlotContinue:
        if (baud != BulkBaud) {
            finishTransfer(TransferOutcome::WrongSpeed, m_phase == Phase::SlotContinue ? m_slot + 1 : m_slot);
            return false;
        }
        if (m_phase == Phase::SlotContinue)
            continueOrCancel(byte);
        else
            collectHalfSlot(byte);
        return true;
    case Phase::Mute:
        if (baud == BulkBaud) {
            m_phaseTimer.start(m_settings.phaseTimeoutMs);
            return true;
        }
        enterPhase(Phase::Command);
        return consumeByte(byte, baud);
    case Phase::UploadStart:
        finishTransfer(TransferOutcome::Interrupted, 0);
        return consumeByte(byte, baud);
    }
    return false;
}

void SimulatorEngine::readFrameByte(uchar byte)
{
    m_reader.push(byte);
    while (const std::optional<ModuleFrame> frame = m_reader.takeFrame())
        handleFrame(*frame);
}

void SimulatorEngine::handleFrame(const ModuleFrame &frame)
{
    const bool addressed = frame.kind() == FrameKind::Escape || frame.moduleId() == m_settings.moduleId;
    m_context.recordFrame({frame.kind(), frame.bytes(), addressed});
    emit frameReceived(frame.bytes());
    say(QStringLiteral("<- %1  %2%3")
            .arg(hex(frame.bytes()), frame.describe(),
                 addressed ? QString() : QStringLiteral("  (another module: no answer)")));
    if (!addressed)
        return;

    switch (frame.kind()) {
    case FrameKind::Learn:
        learn(frame);
        return;
    case FrameKind::Escape:
        escape();
        return;
    case FrameKind::Send:
        acceptSend(frame);
        return;
    case FrameKind::Stop:
        stop(frame);
        return;
    case FrameKind::DownloadAll:
        beginTransfer(TransferKind::Download);
        return;
    case FrameKind::UploadAll:
        beginTransfer(TransferKind::Upload);
        return;
    }
}

void SimulatorEngine::learn(const ModuleFrame &frame)
{
    if (m_settings.faults.noLearnAck) {
        m_captureTimer.stop();
        say(QStringLiteral("   no acknowledgement (fault)"));
        return;
    }
    m_learnFormat = frame.irFormat();
    reply(QByteArray(1, Ack), QStringLiteral("acknowledgement"));
    m_context.count(&SimulatorCounters::learnAcks);
    m_captureTimer.start(m_settings.captureDelayMs);
    say(QStringLiteral("   key %1 pressed in %2 ms").arg(m_settings.key.code().text()).arg(m_settings.captureDelayMs));
}

void SimulatorEngine::sendCapture()
{
    m_settings = m_context.settings();
    const IrResult<QByteArray> learned = LearnedCapture::bytes(m_settings.key, m_learnFormat);
    if (!learned.isOk()) {
        say(QStringLiteral("   no capture: ") + learned.error());
        return;
    }
    QByteArray capture = learned.value();
    capture.append(std::max(m_settings.faults.captureExtraBytes, 0), '\0');
    reply(capture, QStringLiteral("capture"));
    m_context.count(&SimulatorCounters::captures);
}

void SimulatorEngine::escape()
{
    if (!m_captureTimer.isActive())
        return;
    m_captureTimer.stop();
    m_context.count(&SimulatorCounters::captureCancels);
    say(QStringLiteral("   capture cancelled"));
}

void SimulatorEngine::acceptSend(const ModuleFrame &frame)
{
    m_context.count(&SimulatorCounters::sendReplies);
    switch (m_settings.faults.sendReply) {
    case SendReply::Accept:
        reply(QByteArray(1, Ack), QStringLiteral("ready for the block"));
        m_portMask = frame.portMask();
        m_collected.clear();
        enterPhase(Phase::Block);
        return;
    case SendReply::Refuse:
        reply(QByteArray(1, Refusal), QStringLiteral("refusal (fault)"));
        return;
    case SendReply::Garbage:
        reply(QByteArray(1, Garbage), QStringLiteral("garbage (fault)"));
        return;
    case SendReply::TwoBytes:
        reply(QByteArray(2, Ack), QStringLiteral("two bytes (fault)"));
        return;
    case SendReply::Silence:
        say(QStringLiteral("   no reply (fault)"));
        return;
    }
}

void SimulatorEngine::collectBlock(uchar byte)
{
    m_collected.append(char(byte));
    m_phaseTimer.start(m_settings.phaseTimeoutMs);
    if (m_collected.size() < LearnedCapture::CaptureSize)
        return;
    enterPhase(Phase::Command);
    m_context.recordBlock({m_collected, m_portMask});
    emit blockTransmitted(m_collected, m_portMask);
    say(QStringLiteral("<- block %1 ...").arg(hex(m_collected.first(16))));
    say(QStringLiteral("   ") + describeBlock(m_collected, m_portMask));
}

void SimulatorEngine::stop(const ModuleFrame &frame)
{
    const char answer[] = {char(ModuleFrame::Start), char(frame.moduleId()), StopAnswer,
                           char(ModuleFrame::End)};
    reply(QByteArray(answer, sizeof answer), QStringLiteral("transmission stopped"));
    m_context.count(&SimulatorCounters::stops);
    m_context.setTransmitting(false);
}

void SimulatorEngine::beginTransfer(TransferKind kind)
{
    m_captureTimer.stop();
    m_transfer = kind;
    m_slot = 0;
    if (kind == TransferKind::Download) {
        say(QStringLiteral("   waiting for slot 0 at 115200 baud"));
        beginSlot();
        return;
    }
    say(QStringLiteral("   waiting for the line to reach 115200 baud"));
    enterPhase(Phase::UploadStart);
    m_speedPoll.start();
}

void SimulatorEngine::collectHalfSlot(uchar byte)
{
    m_collected.append(char(byte));
    m_phaseTimer.start(m_settings.phaseTimeoutMs);
    if (m_collected.size() < HalfSlot)
        return;
    const bool secondHalf = m_phase == Phase::SlotSecondHalf;
    if (fallsSilentAt(secondHalf)) {
        fallSilent();
        return;
    }
    if (!secondHalf) {
        m_firstHalf = std::exchange(m_collected, {});
        reply(QByteArray(1, Ack), QString());
        enterPhase(Phase::SlotSecondHalf);
        return;
    }
    QString error;
    if (!m_context.setEepromSlot(m_slot, m_firstHalf + m_collected, &error))
        say(QStringLiteral("   EEPROM: %1").arg(error));
    m_context.count(&SimulatorCounters::slotsWritten);
    reply(QByteArray(1, Ack), QString());
    enterPhase(Phase::SlotContinue);
}

void SimulatorEngine::continueOrCancel(uchar byte)
{
    if (byte == Cancel) {
        finishTransfer(TransferOutcome::Cancelled, m_slot + 1);
        return;
    }
    if (byte != Continue) {
        // Came at 115200: no frame can start with it.
        finishTransfer(TransferOutcome::Interrupted, m_slot + 1);
        return;
    }
    if (m_slot == EepromStore::SlotCount - 1) {
        finishTransfer(TransferOutcome::Completed, EepromStore::SlotCount);
        return;
    }
    ++m_slot;
    beginSlot();
}

void SimulatorEngine::beginSlot()
{
    if (m_transfer == TransferKind::Upload) {
        sendSlot();
        return;
    }
    m_collected.clear();
    enterPhase(Phase::SlotFirstHalf);
}

void SimulatorEngine::pollUploadStart()
{
    if (m_port.baudRate() != BulkBaud)
        return;
    m_speedPoll.stop();
    m_settings = m_context.settings();
    reply(QByteArray(1, Ack), QStringLiteral("ready to upload"));
    sendSlot();
}

void SimulatorEngine::sendSlot()
{
    if (m_port.baudRate() != BulkBaud) {
        finishTransfer(TransferOutcome::WrongSpeed, m_slot);
        return;
    }
    const QByteArray slot = m_context.eepromSlot(m_slot);
    if (m_slot == m_settings.faults.silentAtSlot) {
        if (m_settings.faults.silentAfterHalfSlot)
            m_port.send(slot.first(HalfSlot));
        fallSilent();
        return;
    }
    m_port.send(slot);
    m_context.count(&SimulatorCounters::slotsSent);
    enterPhase(Phase::SlotContinue);
}

// Download only: the upload checks its slot before sending it.
bool SimulatorEngine::fallsSilentAt(bool secondHalf) const
{
    return m_slot == m_settings.faults.silentAtSlot && secondHalf == m_settings.faults.silentAfterHalfSlot;
}

void SimulatorEngine::fallSilent()
{
    const TransferRecord record{m_transfer, TransferOutcome::Silenced, m_slot};
    m_context.recordTransfer(record);
    emit transferFinished(record);
    say(QStringLiteral("   silent at slot %1 (fault)").arg(m_slot));
    enterPhase(Phase::Mute);
}

void SimulatorEngine::finishTransfer(TransferOutcome outcome, int slotsMoved)
{
    m_speedPoll.stop();
    enterPhase(Phase::Command);
    const TransferRecord record{m_transfer, outcome, slotsMoved};
    m_context.recordTransfer(record);
    emit transferFinished(record);
    say(QStringLiteral("   %1 ended after %2 slots: %3")
            .arg(m_transfer == TransferKind::Download ? QStringLiteral("download") : QStringLiteral("upload"))
            .arg(slotsMoved)
            .arg(outcomeName(outcome)));
}

void SimulatorEngine::phaseTimedOut()
{
    switch (m_phase) {
    case Phase::Command:
        return;
    case Phase::Block:
        say(QStringLiteral("   block given up after %1 of %2 bytes")
                .arg(m_collected.size())
                .arg(LearnedCapture::CaptureSize));
        enterPhase(Phase::Command);
        return;
    case Phase::Mute:
        enterPhase(Phase::Command);
        return;
    case Phase::UploadStart:
        finishTransfer(TransferOutcome::WrongSpeed, 0);
        return;
    case Phase::SlotFirstHalf:
    case Phase::SlotSecondHalf:
    case Phase::SlotContinue:
        finishTransfer(TransferOutcome::TimedOut, m_phase == Phase::SlotContinue ? m_slot + 1 : m_slot);
        return;
    }
}

void SimulatorEngine::enterPhase(Phase phase)
{
    m_phase = phase;
    if (phase == Phase::Command)
        m_phaseTimer.stop();
    else
        m_phaseTimer.start(m_settings.phaseTimeoutMs);
}

void SimulatorEngine::reply(const QByteArray &bytes, const QString &what)
{
    m_port.send(bytes);
    if (!what.isEmpty())
        say(QStringLiteral("-> %1 byte%2 (%3)%4")
                .arg(bytes.size())
                .arg(bytes.size() == 1 ? QString() : QStringLiteral("s"), what,
                     bytes.size() <= 4 ? QStringLiteral(": ") + hex(bytes) : QString()));
}

void SimulatorEngine::say(const QString &text)
{
    emit message(text);
}
