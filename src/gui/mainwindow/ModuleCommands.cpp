#include "gui/mainwindow/ModuleCommands.h"

#include "core/common/ZoqError.h"
#include "core/device/LearnRun.h"
#include "core/device/SendExchange.h"
#include "core/device/SerialLink.h"
#include "core/document/RowName.h"
#include "core/document/UndoHistory.h"
#include "core/image/ImageSlots.h"
#include "gui/dialogs/TransferProgressDialog.h"
#include "gui/grid/CodeGrid.h"

#include <QCoreApplication>
#include <QScopeGuard>

ModuleCommands::ModuleCommands(CodeTable &table, UndoHistory &history, CodeGrid &grid,
                               TransferProgressDialog &progressDialog, Prompt &prompt, QObject *parent)
    : QObject(parent)
    , m_table(table)
    , m_history(history)
    , m_grid(grid)
    , m_progressDialog(progressDialog)
    , m_prompt(prompt)
    , m_link(std::make_unique<SerialLink>(prompt))
    , m_learnRun(std::make_unique<LearnRun>(*m_link, prompt, static_cast<LearnHost &>(*this)))
    , m_send(std::make_unique<SendExchange>(*m_link, prompt))
{
    connect(m_link.get(), &SerialLink::portLost, this, [this] {
        m_stopRequested = true;
        emit portLost();
    });
}

ModuleCommands::~ModuleCommands() = default;

void ModuleCommands::setIrPort(int port, bool chosen)
{
    if (chosen)
        m_irPortMask |= (1 << port);
    else
        m_irPortMask &= ~(1 << port);
}

std::optional<QString> ModuleCommands::choosePort(const QString &itemText)
{
    return m_link->choosePort(itemText);
}

// ---------------------------------------------------------------------------
// Learn, send and stop

void ModuleCommands::learnSelectedRows()
{
    if (!isLearning())
        m_stopRequested = false;
    m_learnRun->learnOrStop({quint8(m_moduleId), quint8(m_learnTime), quint8(m_irFormat)});
}

bool ModuleCommands::isLearning() const
{
    return m_learnRun->isLearning();
}

bool ModuleCommands::sendCurrentRow()
{
    return m_send->send(m_table.irData(), quint8(m_moduleId), quint8(m_irPortMask));
}

void ModuleCommands::stopModule()
{
    m_send->stop(quint8(m_moduleId));
}

void ModuleCommands::sendWhileHeld(const std::function<bool()> &leftButtonDown)
{
    if (m_sendHeld)
        return;
    m_sendHeld = true;
    m_stopRequested = false;
    const auto idle = qScopeGuard([this] { m_sendHeld = false; });
    QCoreApplication::processEvents();
    if (m_stopRequested || !sendCurrentRow())
        return;
    emit sendingChanged(true);
    // The hold ends on the real button state, polled while events run, or
    // when the exchange is to stop.
    while (!m_stopRequested && leftButtonDown() && SerialLink::pause(ButtonPollMs)) {
    }
    SerialLink::pause(50);
    stopModule();
    char reply[SendExchange::StopReplySize];
    (void)m_link->read(reply, SendExchange::StopReplySize, SendExchange::StopReplySeconds);
    emit sendingChanged(false);
}

bool ModuleCommands::exchangeRunning() const
{
    return m_link->isBusy() || m_sendHeld;
}

void ModuleCommands::stopExchange()
{
    m_stopRequested = true;
    if (isLearning())
        m_learnRun->learnOrStop({}); // the Stop button
    if (m_progressDialog.isVisible())
        m_progressDialog.cancel();
}

// ---------------------------------------------------------------------------
// LearnHost

void ModuleCommands::detachRowChangeHook()
{
    m_savedRowChangeHook = m_table.afterRowChange();
    m_table.setAfterRowChange({});
}

void ModuleCommands::attachRowChangeHook()
{
    m_table.setAfterRowChange(m_savedRowChangeHook);
}

QList<int> ModuleCommands::selectedRows()
{
    if (m_grid.selectedRows().isEmpty())
        m_grid.addCurrentRowToSelection();
    return m_grid.selectedRows();
}

void ModuleCommands::makeCurrent(int row)
{
    m_table.setRecNo(row);
}

QByteArray ModuleCommands::currentNameBytes()
{
    QString refusal;
    const std::optional<QByteArray> bytes =
        RowName::bytesFor(m_table, m_table.functionName(m_table.recNo() - 1), &refusal);
    if (!bytes)
        throw ZoqError(refusal);
    return *bytes;
}

void ModuleCommands::storeBlock(const IrBlock &block)
{
    m_history.record(QStringLiteral("Learn row %1").arg(m_table.recNo()), [&] {
        m_table.edit();
        m_table.setField(QStringLiteral("IR Data"), block.toByteArray());
        m_table.post();
    });
}

void ModuleCommands::drawWave(bool roll)
{
    emit waveRedrawRequested(roll);
}

void ModuleCommands::scrollWaveToStart()
{
    emit waveScrollToStartRequested();
}

void ModuleCommands::setCapturing(bool capturing)
{
    emit capturingChanged(capturing);
}

// ---------------------------------------------------------------------------
// EEPROM download and upload

EepromTransfer::Callbacks ModuleCommands::transferCallbacks()
{
    m_stopRequested = false;
    EepromTransfer::Callbacks callbacks;
    callbacks.slotSource = [this](int slot) {
        goToSlotRow(slot);
        return slotFromField(m_table.irData());
    };
    callbacks.slotSink = [this](int slot, const QByteArray &block) {
        goToSlotRow(slot);
        storeSlot(m_table, block);
    };
    callbacks.progress = [this](int slot) { m_progressDialog.setPosition(slot); };
    callbacks.stillRunning = [this] { return m_progressDialog.isRunning() && !m_stopRequested; };
    callbacks.begin = [this](const QString &label) {
        emit transferRunningChanged(true);
        m_table.suspendViews();
        detachRowChangeHook();
        m_progressDialog.setOperation(label);
        m_progressDialog.show();
        m_table.first();
    };
    callbacks.end = [this] {
        attachRowChangeHook();
        m_table.first();
        m_table.resumeViews();
        m_progressDialog.hide();
        emit transferRunningChanged(false);
    };
    return callbacks;
}

// Slot j belongs to row j + 1; a table with fewer rows gives its last row
// to every slot beyond it.
void ModuleCommands::goToSlotRow(int slot)
{
    m_table.setRecNo(qMin(slot + 1, m_table.recordCount()));
}

void ModuleCommands::downloadToModule()
{
    (void)EepromTransfer::download(*m_link, m_prompt, quint8(m_moduleId), transferCallbacks());
}

// The rows stored before a cancel or a failure are one step too.
void ModuleCommands::uploadFromModule()
{
    m_history.record(QStringLiteral("Up Load"),
                     [this] { (void)EepromTransfer::upload(*m_link, m_prompt, quint8(m_moduleId), transferCallbacks()); });
}
