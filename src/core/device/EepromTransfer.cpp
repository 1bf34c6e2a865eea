#include "core/device/EepromTransfer.h"

#include "core/common/AppTexts.h"
#include "core/common/Prompt.h"
#include "core/device/Frames.h"
#include "core/device/SerialLink.h"
#include "core/signal/IrBlock.h"

#include <QScopeGuard>

namespace EepromTransfer {
namespace {

constexpr int HalfSlot = SlotSize / 2;
constexpr int NameEnd = IrBlock::NameOffset + IrBlock::NameLength;

class Transfer;

// What tells a download from an upload.
struct Direction
{
    QString question;
    QByteArray command;
    // Upload: the module answers the command with one byte once at 115200.
    bool awaitsFirstByte = false;
    QString label;
    Outcome (Transfer::*slotLoop)();
    QString completed;
};

// One transfer, from the question to the line back at 9600.
class Transfer final
{
public:
    Transfer(SerialLink &link, Prompt &prompt, const Callbacks &callbacks)
        : m_link(link)
        , m_prompt(prompt)
        , m_callbacks(callbacks)
    {
    }

    [[nodiscard]] Outcome execute(const Direction &direction)
    {
        const Outcome outcome = transfer(direction);
        if (outcome != Outcome::Completed && m_callbacks.stopped)
            m_callbacks.stopped(m_stop);
        return outcome;
    }

    [[nodiscard]] Outcome downloadSlots()
    {
        for (int j = 0; j < SlotCount; ++j) {
            const QByteArray slot = IrBlock::fromField(m_callbacks.slotSource(j)).toByteArray();
            for (int half = 0; half < 2; ++half) {
                m_link.write(slot.constData() + half * HalfSlot, HalfSlot);
                if (!readAnswer()) {
                    m_stop = {j, half, 0};
                    tell(QStringLiteral("No found IR device.Download failed!"));
                    return Outcome::NoDevice;
                }
            }
            if (!goOn(j, QStringLiteral("Download terminated!")))
                return Outcome::Cancelled;
        }
        return Outcome::Completed;
    }

    [[nodiscard]] Outcome uploadSlots()
    {
        QByteArray slot(SlotSize, '\0');
        for (int j = 0; j < SlotCount; ++j) {
            if (!m_link.read(slot.data(), SlotSize, AnswerSeconds)) {
                m_stop = {j, -1, int(m_link.cs().queued)};
                tell(QStringLiteral("Time out,Upload failed!"));
                return Outcome::TimedOut;
            }
            // Byte 255 ends the name field, whatever the EEPROM held there.
            slot[NameEnd] = '\0';
            m_callbacks.slotSink(j, slot);
            if (!goOn(j, QStringLiteral("Upload terminated!")))
                return Outcome::Cancelled;
        }
        return Outcome::Completed;
    }

private:
    // From the question to the line back at 9600.
    [[nodiscard]] Outcome transfer(const Direction &direction)
    {
        if (!m_link.claim())
            return Outcome::Refused;
        const auto release = qScopeGuard([this] { m_link.release(); });
        if (!m_prompt.askYesNo(AppTexts::mainCaption(), direction.question))
            return Outcome::Declined;
        m_link.purgeRx();
        if (!m_link.write(direction.command))
            return Outcome::CommandFailed;
        reopenAt(SerialLink::TransferBaudrate);
        const auto normalRate = qScopeGuard([this] { reopenAt(SerialLink::NormalBaudrate); });
        if (direction.awaitsFirstByte && !readAnswer()) {
            tell(QStringLiteral("No found IR device,Upload failed!"));
            return Outcome::NoDevice;
        }
        const Outcome outcome = runSlots(direction);
        if (outcome == Outcome::Completed)
            tell(direction.completed);
        return outcome;
    }

    [[nodiscard]] Outcome runSlots(const Direction &direction)
    {
        m_callbacks.begin(direction.label);
        const auto end = qScopeGuard([this] { m_callbacks.end(); });
        return (this->*direction.slotLoop)();
    }

    // After slot j: 'U' to go on, or 'C' once the user cancelled. The slot in
    // progress always completes first.
    [[nodiscard]] bool goOn(int slot, const QString &terminated)
    {
        m_callbacks.progress(slot);
        if (!m_callbacks.stillRunning()) {
            m_stop = {slot, -1, 0};
            m_link.writeByte(Frames::Cancel);
            tell(terminated);
            return false;
        }
        m_link.writeByte(Frames::Continue);
        return true;
    }

    [[nodiscard]] bool readAnswer()
    {
        char answer = 0;
        return m_link.read(&answer, 1, AnswerSeconds);
    }

    void reopenAt(qint32 baudrate)
    {
        m_link.setBaudRate(baudrate);
        m_link.open(m_link.portName());
    }

    void tell(const QString &text) { m_prompt.notice(AppTexts::applicationTitle(), text); }

    SerialLink &m_link;
    Prompt &m_prompt;
    const Callbacks &m_callbacks;
    Stop m_stop;
};

} // namespace

Outcome download(SerialLink &link, Prompt &prompt, quint8 moduleId, const Callbacks &callbacks)
{
    return Transfer(link, prompt, callbacks)
        .execute({QStringLiteral("Download will replace data in EEPROM by current zoq file.\n"
                                 "Are you really do it?"),
                  Frames::downloadAll(moduleId), false, QStringLiteral("Downloading..."),
                  &Transfer::downloadSlots, QStringLiteral("Download completed.")});
}

Outcome upload(SerialLink &link, Prompt &prompt, quint8 moduleId, const Callbacks &callbacks)
{
    return Transfer(link, prompt, callbacks)
        .execute({QStringLiteral("Upload will replace data in current zoq file by data in EEPROM.\n"
                                 "Are you really do it?"),
                  Frames::uploadAll(moduleId), true, QStringLiteral("Uploading..."),
                  &Transfer::uploadSlots, QStringLiteral("Upload completed.")});
}

} // namespace EepromTransfer
