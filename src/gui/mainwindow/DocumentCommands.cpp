#include "gui/mainwindow/DocumentCommands.h"

#include "core/common/AppTexts.h"
#include "core/common/FileNames.h"
#include "core/common/Prompt.h"
#include "core/common/ZoqError.h"
#include "core/document/CodeFromProtocol.h"
#include "core/document/CodeTable.h"
#include "core/document/Document.h"
#include "core/document/RowClipboard.h"
#include "core/document/RowMoves.h"
#include "core/document/RowName.h"
#include "core/document/TableWalkGuard.h"
#include "core/image/CompiledImage.h"
#include "gui/dialogs/CodeFromProtocolDialog.h"
#include "gui/dialogs/FunctionNameDialog.h"
#include "gui/dialogs/GoToDialog.h"
#include "gui/dialogs/RemarkDialog.h"
#include "gui/grid/CodeGrid.h"
#include "gui/hexedit/IrDataDialog.h"

DocumentCommands::DocumentCommands(Document &document, CodeGrid &grid, Prompt &prompt, QWidget *dialogParent)
    : QObject(dialogParent)
    , m_document(document)
    , m_table(document.table())
    , m_grid(grid)
    , m_prompt(prompt)
    , m_clipboard(std::make_unique<RowClipboard>())
    , m_functionNameDialog(new FunctionNameDialog(dialogParent))
    , m_irDataDialog(new IrDataDialog(prompt, static_cast<IrDataHost &>(*this), dialogParent))
    , m_remarkDialog(new RemarkDialog(dialogParent))
    , m_goToDialog(new GoToDialog(dialogParent))
    , m_codeFromProtocolDialog(new CodeFromProtocolDialog(dialogParent))
{
    connect(m_codeFromProtocolDialog, &CodeFromProtocolDialog::previewChanged, this,
            &DocumentCommands::wavePreviewRequested);
}

DocumentCommands::~DocumentCommands() = default;

void DocumentCommands::notice(const QString &text)
{
    m_prompt.notice(AppTexts::applicationTitle(), text);
}

// ---------------------------------------------------------------------------
// Documents

void DocumentCommands::newDocument()
{
    m_document.createNew();
}

void DocumentCommands::openDocument()
{
    if (!m_document.confirmDiscard())
        return;
    const QString path = m_prompt.openFileName(QStringLiteral("*.zoq|*.zoq|*.bin|*.bin"));
    if (path.isEmpty())
        return;
    if (fileExtension(path).compare(QLatin1String(".bin"), Qt::CaseInsensitive) == 0)
        importImage(path);
    else
        m_document.open(path);
}

void DocumentCommands::importImage(const QString &path)
{
    const QByteArray image = readImageFile(path);
    if (!m_document.createNew())
        return;
    ::importImage(m_table, image);
}

void DocumentCommands::saveDocument()
{
    m_document.save();
}

void DocumentCommands::compileImage()
{
    const QString target = m_document.chooseTarget(QStringLiteral("*.bin|*.bin"), QStringLiteral(".bin"));
    if (!target.isEmpty())
        writeImageFile(m_table, target);
}

// ---------------------------------------------------------------------------
// Rows

void DocumentCommands::insertRow()
{
    const int cur = m_table.recNo();
    if (!confirmPushOut(pushedOutRow(m_table, cur)))
        return;
    insertEmptyRow(m_table, cur);
    m_document.setModified(true);
    emit waveRedrawRequested(true);
}

bool DocumentCommands::confirmPushOut(int row)
{
    if (isEmptyRow(m_table, row))
        return true;
    return m_prompt.askYesNo(AppTexts::mainCaption(),
                             rowLabel(row) + QStringLiteral(" will be pushed out. Insert anyway?"));
}

QString DocumentCommands::rowLabel(int row) const
{
    const QString name = m_table.functionName(row - 1);
    return name.isEmpty() ? QStringLiteral("Row %1").arg(row)
                          : QStringLiteral("Row %1 '%2'").arg(QString::number(row), name);
}

void DocumentCommands::deleteRow()
{
    if (!m_prompt.askYesNo(AppTexts::mainCaption(), QStringLiteral("Really delete IR data in selection items?")))
        return;
    deleteRowContent(m_table, m_table.recNo());
    m_document.setModified(true);
    emit waveRedrawRequested(true);
}

void DocumentCommands::renameKey()
{
    if (!m_functionNameDialog->execWith(currentFunction()))
        return;
    QString refusal;
    if (!RowName::renameCurrentRow(m_table, m_functionNameDialog->text(), &refusal))
        notice(refusal);
}

void DocumentCommands::editRemark()
{
    if (!m_remarkDialog->execWith(m_table.fieldText(QStringLiteral("Remark"))))
        return;
    m_table.edit();
    m_table.setField(QStringLiteral("Remark"), m_remarkDialog->text());
    m_table.post();
}

void DocumentCommands::goToRow()
{
    if (!m_goToDialog->execGoTo())
        return;
    const QString text = m_goToDialog->text();
    if (m_goToDialog->choice() == GoToDialog::Choice::Function) {
        if (!m_table.locateFunction(text))
            notice(QStringLiteral("Not found ") + text + QStringLiteral("!"));
        return;
    }
    bool ok = false;
    const int row = text.trimmed().toInt(&ok);
    if (!ok)
        throw ZoqError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    m_table.setRecNo(qMax(row, 1));
}

void DocumentCommands::copyRows()
{
    if (m_grid.selectedRows().isEmpty())
        m_grid.addCurrentRowToSelection();
    m_clipboard->copyRows(m_table, m_grid.selectedRows());
    emit clipboardChanged();
}

void DocumentCommands::pasteRows()
{
    if (!m_clipboard->canPaste())
        return;
    m_grid.clearSelection();
    for (int row : m_clipboard->pasteRows(m_table))
        m_grid.addRowToSelection(row);
}

void DocumentCommands::selectAllRows()
{
    const TableWalkGuard walk(m_table, TableWalkGuard::AfterRowChange | TableWalkGuard::Views);
    m_grid.selectAllRows();
    if (m_table.recordCount() > 0)
        m_table.setRecNo(m_table.recordCount());
}

// ---------------------------------------------------------------------------
// IR data editor

void DocumentCommands::editIrData()
{
    m_irDataDialog->loadBlock(m_table.irData());
    m_irDataDialog->exec();
    emit waveRedrawRequested(false);
}

// ---------------------------------------------------------------------------
// New code from protocol

void DocumentCommands::newCodeFromProtocol()
{
    const bool chosen = m_codeFromProtocolDialog->execChoose();
    emit wavePreviewEnded();
    if (!chosen)
        return;
    const IrResult<IrBlock> block =
        CodeFromProtocol::blockFor(m_table, *m_codeFromProtocolDialog->code(), currentFunction());
    if (!block.isOk()) {
        notice(block.error());
        return;
    }
    const int row = m_table.recNo();
    if (CodeFromProtocol::rowHoldsSignal(m_table, row)
        && !m_prompt.askYesNo(AppTexts::mainCaption(),
                              rowLabel(row) + QStringLiteral(" holds a learned key. Overwrite this learned key?")))
        return;
    CodeFromProtocol::storeInCurrentRow(m_table, block.value());
    emit waveRedrawRequested(false);
}

QString DocumentCommands::currentFunction() const
{
    return m_table.functionName(m_table.recNo() - 1);
}

void DocumentCommands::writeIrData(const QByteArray &block)
{
    m_table.edit();
    m_table.setField(QStringLiteral("IR Data"), block);
    m_table.post();
    m_document.setModified(true);
}
