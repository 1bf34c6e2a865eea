#pragma once

#include "gui/dialogs/LazyDialog.h"
#include "gui/hexedit/IrDataHost.h"

#include <QObject>

#include <memory>

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
// Select All and the IR data editor. They act on the current row and the
// selection of the code grid; their dialogs are created when first used,
// owned by dialogParent, and reused.
class DocumentCommands final : public QObject, private IrDataHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DocumentCommands)

public:
    DocumentCommands(Document &document, CodeGrid &grid, Prompt &prompt, QWidget *dialogParent);
    ~DocumentCommands() override;

    [[nodiscard]] const RowClipboard &clipboard() const { return *m_clipboard; }
    [[nodiscard]] GoToDialog &goToDialog() const { return *m_goToDialog; }

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

signals:
    void waveRedrawRequested(bool roll);
    void clipboardChanged();

private:
    // Insert loses the content of the last row: asked first unless it is empty.
    [[nodiscard]] bool confirmPushOut(int row);
    void notice(const QString &text);

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
};
