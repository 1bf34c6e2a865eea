#pragma once

#include "gui/hexedit/IrDataHost.h"

#include <QObject>

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
// Select All, the IR data editor and a new code from protocol parameters. They act on the current row and the
// selection of the code grid; their dialogs are created once, owned by
// dialogParent, and reused.
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

    // IrDataHost
    QString currentFunction() const override;
    void writeIrData(const QByteArray &block) override;

    Document &m_document;
    CodeTable &m_table;
    CodeGrid &m_grid;
    Prompt &m_prompt;
    std::unique_ptr<RowClipboard> m_clipboard;
    FunctionNameDialog *m_functionNameDialog;
    IrDataDialog *m_irDataDialog;
    RemarkDialog *m_remarkDialog;
    GoToDialog *m_goToDialog;
    CodeFromProtocolDialog *m_codeFromProtocolDialog;
};
