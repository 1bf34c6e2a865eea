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
#include "core/document/UndoHistory.h"
#include "core/formats/CodeExport.h"
#include "core/formats/CodeImport.h"
#include "core/image/CompiledImage.h"
#include "gui/dialogs/CodeFromProtocolDialog.h"
#include "gui/dialogs/FunctionNameDialog.h"
#include "gui/dialogs/GoToDialog.h"
#include "gui/dialogs/RemarkDialog.h"
#include "gui/grid/CodeGrid.h"
#include "gui/hexedit/IrDataDialog.h"

#include <QFileInfo>

DocumentCommands::DocumentCommands(Document &document, CodeGrid &grid, Prompt &prompt, QWidget *dialogParent)
    : QObject(dialogParent)
    , m_document(document)
    , m_table(document.table())
    , m_grid(grid)
    , m_prompt(prompt)
    , m_clipboard(std::make_unique<RowClipboard>())
    , m_functionNameDialog([dialogParent] { return new FunctionNameDialog(dialogParent); })
    , m_irDataDialog([this, &prompt, dialogParent] {
        return new IrDataDialog(prompt, static_cast<IrDataHost &>(*this), dialogParent);
    })
    , m_remarkDialog([dialogParent] { return new RemarkDialog(dialogParent); })
    , m_goToDialog([dialogParent] { return new GoToDialog(dialogParent); })
    , m_codeFromProtocolDialog([this, dialogParent] {
        auto *dialog = new CodeFromProtocolDialog(dialogParent);
        connect(dialog, &CodeFromProtocolDialog::previewChanged, this, &DocumentCommands::wavePreviewRequested);
        return dialog;
    })
{
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
    if (!path.isEmpty())
        openFile(path);
}

void DocumentCommands::openFile(const QString &path)
{
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
    record(QStringLiteral("Import"), [&] { ::importImage(m_table, image); });
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
    record(QStringLiteral("Insert row %1").arg(cur), [&] { insertEmptyRow(m_table, cur); });
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
    const int cur = m_table.recNo();
    record(QStringLiteral("Delete row %1").arg(cur), [&] { deleteRowContent(m_table, cur); });
    emit waveRedrawRequested(true);
}

void DocumentCommands::renameKey()
{
    if (!m_functionNameDialog->execWith(currentFunction()))
        return;
    QString refusal;
    bool renamed = false;
    record(rowStepLabel(QStringLiteral("Rename")),
           [&] { renamed = RowName::renameCurrentRow(m_table, m_functionNameDialog->text(), &refusal); });
    if (!renamed)
        notice(refusal);
}

void DocumentCommands::editRemark()
{
    if (!m_remarkDialog->execWith(m_table.fieldText(QStringLiteral("Remark"))))
        return;
    record(rowStepLabel(QStringLiteral("Remark")), [this] {
        m_table.edit();
        m_table.setField(QStringLiteral("Remark"), m_remarkDialog->text());
        m_table.post();
    });
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
    QList<int> written;
    record(QStringLiteral("Paste"), [&] { written = m_clipboard->pasteRows(m_table); });
    for (int row : std::as_const(written))
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
    record(rowStepLabel(QStringLiteral("New code")),
           [&] { CodeFromProtocol::storeInCurrentRow(m_table, block.value()); });
    emit waveRedrawRequested(false);
}

QString DocumentCommands::currentFunction() const
{
    return m_table.functionName(m_table.recNo() - 1);
}

void DocumentCommands::writeIrData(const QByteArray &block)
{
    record(rowStepLabel(QStringLiteral("IR Data")), [&] {
        m_table.edit();
        m_table.setField(QStringLiteral("IR Data"), block);
        m_table.post();
    });
}

// ---------------------------------------------------------------------------
// Undo and redo

void DocumentCommands::undoChange()
{
    m_document.history().undo();
    showRestoredRows();
}

void DocumentCommands::redoChange()
{
    m_document.history().redo();
    showRestoredRows();
}

// The step's current row is current again: the grid shows it without a
// selection, and the waveform shows its block.
void DocumentCommands::showRestoredRows()
{
    m_grid.clearSelection();
    emit waveRedrawRequested(true);
}

void DocumentCommands::record(const QString &label, const std::function<void()> &change)
{
    m_document.history().record(label, change);
}

QString DocumentCommands::rowStepLabel(const QString &command) const
{
    return QStringLiteral("%1 row %2").arg(command).arg(m_table.recNo());
}

// ---------------------------------------------------------------------------
// Code files

QString DocumentCommands::documentName() const
{
    if (m_document.path().isEmpty() || m_document.path() == m_document.workingPath())
        return {};
    return QFileInfo(m_document.path()).completeBaseName();
}

void DocumentCommands::importCodes()
{
    const QString path = m_prompt.openFileName(codeFormatOpenFilter());
    if (path.isEmpty())
        return;
    const IrResult<CodeImport::Source> source = CodeImport::readFile(path);
    if (!source.isOk()) {
        notice(source.error());
        return;
    }
    const QList<int> selected = m_grid.selectedRows();
    const CodeImport::Plan plan =
        CodeImport::plan(m_table, source.value().file, selected.size() > 1 ? selected : QList<int>(), m_table.recNo());
    const QList<int> overwritten = plan.rowsHoldingSignal(m_table);
    if (!overwritten.isEmpty() && !m_prompt.askYesNo(AppTexts::mainCaption(), CodeImport::overwriteQuestion(overwritten)))
        return;
    record(QStringLiteral("Import codes"), [&] { CodeImport::apply(m_table, plan); });
    if (!plan.placements.isEmpty()) {
        m_grid.clearSelection();
        for (const CodeImport::Placement &placement : plan.placements)
            m_grid.addRowToSelection(placement.row);
        emit waveRedrawRequested(true);
    }
    notice(CodeImport::report(plan, path));
}

void DocumentCommands::exportCodes()
{
    const QList<int> selected = m_grid.selectedRows();
    if (selected.isEmpty() && CodeExport::rowsHoldingSignal(m_table).isEmpty()) {
        notice(QStringLiteral("No row holds a signal to export."));
        return;
    }
    const QString name = documentName();
    int chosenFilter = -1;
    QString path = m_prompt.saveFileNameAndFilter(codeFormatSaveFilter(), name.isEmpty() ? QStringLiteral("Codes") : name,
                                                  &chosenFilter);
    if (path.isEmpty())
        return;
    std::optional<CodeFormat> format = codeFormatForFileName(path);
    const QList<CodeFormat> formats = allCodeFormats();
    if (!format && chosenFilter >= 0 && chosenFilter < formats.size()) {
        format = formats.at(chosenFilter);
        path += codeFormatInfo(*format).extension;
    }
    if (!format) {
        QStringList extensions;
        for (const CodeFormat each : formats)
            extensions.append(QStringLiteral("%1 (%2)").arg(codeFormatInfo(each).extension, codeFormatInfo(each).title));
        notice(QStringLiteral("The file name tells the format by its extension: ") + extensions.join(QStringLiteral(", "))
               + QLatin1Char('.'));
        return;
    }
    if (QFileInfo::exists(path) && !m_prompt.askYesNo(AppTexts::mainCaption(), QStringLiteral("File already exist.Replace?")))
        return;
    QList<int> rows = selected.isEmpty() ? CodeExport::rowsHoldingSignal(m_table) : selected;
    if (*format == CodeFormat::Mode2)
        rows = {m_table.recNo()};
    notice(CodeExport::exportToFile(m_table, rows, *format, path, {name}).text());
}
