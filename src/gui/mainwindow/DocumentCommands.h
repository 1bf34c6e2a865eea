#pragma once

#include "gui/dialogs/LazyDialog.h"
#include "gui/hexedit/IrDataHost.h"

#include <QObject>

#include <functional>
#include <memory>

class CodeFromProtocolDialog;
class CodeGrid;
class CodeTable;
class Document;
class FunctionNameDialog;
class GoToDialog;
class IrDataDialog;
class Prompt;
class QWidget;
class RemarkDialog;
class RowClipboard;

// The commands on the document and its rows: New, Open (and the image
// import), Save, Compile, Insert, Delete, rename, remark, Go to, Copy, Paste,
// Select All, the IR data editor, a new code from protocol parameters, code
// files in and out, and undo and redo of the changes to the rows. They act on
// the current row and the selection of the code grid; their dialogs are
// created when first used, owned by dialogParent, and reused. Every change to
// the rows is recorded in the document's undo history as one step.
class DocumentCommands final : public QObject, private IrDataHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DocumentCommands)

public:
    DocumentCommands(Document &document, CodeGrid &grid, Prompt &prompt, QWidget *dialogParent);
    ~DocumentCommands() override;

    [[nodiscard]] const RowClipboard &clipboard() const { return *m_clipboard; }
    [[nodiscard]] GoToDialog &goToDialog() const { return *m_goToDialog; }
    [[nodiscard]] CodeFromProtocolDialog &codeFromProtocolDialog() const { return *m_codeFromProtocolDialog; }

    void newDocument();
    void openDocument();
    // Opens the file at path as Open does once it is chosen: a ".bin" image
    // is imported, any other file opened as a document.
    void openFile(const QString &path);
    void saveDocument();
    void compileImage();
    // The image at path in a new untitled document; the whole file is read
    // and checked before the open document is replaced.
    void importImage(const QString &path);

    void insertRow();
    void deleteRow();
    void renameKey();
    void editRemark();
    void goToRow();
    void copyRows();
    void pasteRows();
    void selectAllRows();
    void editIrData();
    void undoChange();
    void redoChange();

    // Codes of a Pronto, Flipper, LIRC, mode2 or CSV file into consecutive
    // rows from the current row (into the selected rows when several are
    // selected), after one question when rows holding a signal would be
    // overwritten; a notice reports what went where.
    void importCodes();
    // The selected rows (all rows holding a signal when none is selected; the
    // current row for mode2) out to a code file; its extension, or the chosen
    // filter, picks the format.
    void exportCodes();

    // "New code from protocol...": the dialog, then the generated block in
    // the current row, which keeps its key name. A row that holds a learned
    // key is overwritten only after a Yes; a code that cannot be made is
    // refused with the reason and leaves the row as it was.
    void newCodeFromProtocol();

signals:
    void waveRedrawRequested(bool roll);
    // The waveform strip shows block in place of the current row's until
    // wavePreviewEnded(), which puts back what it showed before.
    void wavePreviewRequested(const QByteArray &block);
    void wavePreviewEnded();
    void clipboardChanged();

private:
    // Insert loses the content of the last row: asked first unless it is empty.
    [[nodiscard]] bool confirmPushOut(int row);
    // "Row 5" or "Row 5 'Power'".
    [[nodiscard]] QString rowLabel(int row) const;
    void notice(const QString &text);
    void showRestoredRows();
    // One step of the undo history for whatever change changes.
    void record(const QString &label, const std::function<void()> &change);
    // "<command> row <n>" for a change to the current row.
    [[nodiscard]] QString rowStepLabel(const QString &command) const;
    // The document's name without folder and extension; empty when untitled.
    [[nodiscard]] QString documentName() const;

    // IrDataHost
    QString currentFunction() const override;
    void writeIrData(const QByteArray &block) override;

    Document &m_document;
    CodeTable &m_table;
    CodeGrid &m_grid;
    Prompt &m_prompt;
    std::unique_ptr<RowClipboard> m_clipboard;
    LazyDialog<FunctionNameDialog> m_functionNameDialog;
    LazyDialog<IrDataDialog> m_irDataDialog;
    LazyDialog<RemarkDialog> m_remarkDialog;
    LazyDialog<GoToDialog> m_goToDialog;
    LazyDialog<CodeFromProtocolDialog> m_codeFromProtocolDialog;
};
