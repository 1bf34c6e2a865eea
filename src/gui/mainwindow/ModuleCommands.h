#pragma once

#include "core/device/EepromTransfer.h"
#include "core/device/LearnHost.h"
#include "core/document/CodeTable.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class CodeGrid;
class LearnRun;
class Prompt;
class SendExchange;
class SerialLink;
class TransferProgressDialog;
class UndoHistory;

// The commands that talk to the module: the port, the module parameters
// (ID, learn time, IR format, ports to send on), learn, the press-and-hold
// send, stop, and the EEPROM download and upload. They act on the current
// row and the selection of the code grid and tell the window what to show
// through signals. Each learned key and each upload is one step of the undo
// history.
class ModuleCommands final : public QObject, private LearnHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ModuleCommands)

public:
    // How often the held send button is looked at.
    static constexpr int ButtonPollMs = 15;

    ModuleCommands(CodeTable &table, UndoHistory &history, CodeGrid &grid, TransferProgressDialog &progressDialog,
                   Prompt &prompt, QObject *parent = nullptr);
    ~ModuleCommands() override;

    [[nodiscard]] SerialLink &link() const { return *m_link; }

    // Module parameters.
    [[nodiscard]] int moduleId() const { return m_moduleId; }
    void setModuleId(int id) { m_moduleId = id; }
    // 1-3 seconds; 0 when the learn-time box holds no item's text.
    [[nodiscard]] int learnTime() const { return m_learnTime; }
    void setLearnTime(int seconds) { m_learnTime = seconds; }
    // 1 = "Normal", 2 = "RC5/RC6".
    [[nodiscard]] int irFormat() const { return m_irFormat; }
    void setIrFormat(int format) { m_irFormat = format; }
    // Bit i: send on IR port i.
    [[nodiscard]] int irPortMask() const { return m_irPortMask; }
    void setIrPortMask(int mask) { m_irPortMask = mask & 0xFF; }
    void setIrPort(int port, bool chosen);

    // Opens the port of a COM box item, or closes the open one for "Close".
    // Returns the new text of the port panel, or nothing when it stays.
    std::optional<QString> choosePort(const QString &itemText);

    // IR Learn, which is the Stop button while a learn runs.
    void learnSelectedRows();
    [[nodiscard]] bool isLearning() const;
    // Sends the current row for as long as leftButtonDown() holds, then stops
    // the module. A second press while one is held is ignored.
    void sendWhileHeld(const std::function<bool()> &leftButtonDown);
    void stopModule();
    void downloadToModule();
    void uploadFromModule();

    // Whether a learn, a held send or a transfer holds the line.
    [[nodiscard]] bool exchangeRunning() const;
    // Ends the running exchange as its own Stop or Cancel does: the slot in
    // progress completes, the module is told, the rate goes back to 9600.
    void stopExchange();

signals:
    // A learn waits for keys (the learn button reads "Stop", everything else
    // is disabled) or has ended.
    void capturingChanged(bool capturing);
    // A transfer has begun or ended: everything but its dialog is disabled.
    void transferRunningChanged(bool running);
    // The held send has started or ended: the lamps of the chosen ports.
    void sendingChanged(bool sending);
    void waveRedrawRequested(bool roll);
    void waveScrollToStartRequested();
    // The open port's device vanished; a held send has ended with it, and
    // the exchange in progress ends with its error.
    void portLost();

private:
    [[nodiscard]] bool sendCurrentRow();
    [[nodiscard]] EepromTransfer::Callbacks transferCallbacks();
    void goToSlotRow(int slot);

    // LearnHost
    void detachRowChangeHook() override;
    void attachRowChangeHook() override;
    QList<int> selectedRows() override;
    void makeCurrent(int row) override;
    QByteArray currentNameBytes() override;
    void storeBlock(const IrBlock &block) override;
    void drawWave(bool roll) override;
    void scrollWaveToStart() override;
    void setCapturing(bool capturing) override;

    CodeTable &m_table;
    UndoHistory &m_history;
    CodeGrid &m_grid;
    TransferProgressDialog &m_progressDialog;
    Prompt &m_prompt;
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<LearnRun> m_learnRun;
    std::unique_ptr<SendExchange> m_send;

    int m_moduleId = 0;
    int m_learnTime = 1;
    int m_irFormat = 1;
    int m_irPortMask = 255;
    bool m_sendHeld = false;
    // Set by stopExchange(): a held send and a transfer whose dialog is not
    // shown yet end on it.
    bool m_stopRequested = false;
    CodeTable::Hook m_savedRowChangeHook;
};
