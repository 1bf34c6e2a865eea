#pragma once

#include <QDialog>

#include <functional>
#include <optional>

class HexEditor;
class IrDataHost;
class Prompt;
class QAction;
class QMenu;
class QStatusBar;

// The IR data editor: the 512 bytes of the current row's block in a hex
// editor, with Open and Save of IR data text files, Copy and Paste of hex
// text, and the offer to write the edited block back into the row when it
// closes. Created once and reused: loadBlock() before each showing.
class IrDataDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IrDataDialog)

public:
    static constexpr int DesignWidth = 651;
    static constexpr int DesignHeight = 334;

    IrDataDialog(Prompt &prompt, IrDataHost &host, QWidget *parent = nullptr);

    // Loads a row's "IR Data" as exactly 512 bytes: a longer field is cut, a
    // shorter one is padded with 0xFF, the value of erased slot bytes. The
    // editor starts in overwrite mode.
    void loadBlock(const QByteArray &field);

    [[nodiscard]] HexEditor &hexEditor() const { return *m_editor; }
    [[nodiscard]] QMenu &contextMenu() const { return *m_contextMenu; }
    [[nodiscard]] QAction *openAction() const { return m_openAction; }
    [[nodiscard]] QAction *saveAction() const { return m_saveAction; }
    [[nodiscard]] QAction *copyAction() const { return m_copyAction; }
    [[nodiscard]] QAction *pasteAction() const { return m_pasteAction; }

    void openTextFile();
    void saveTextFile();
    void copyHex();
    void pasteHex();
    void updateCopyAction();
    void updatePasteAction();
    // Whether the dialog may close now; asks to write the block back first.
    [[nodiscard]] bool mayClose();

    // Closing by the close box or Esc goes through mayClose.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QAction *addEditAction(const QString &caption, const QKeySequence &shortcut, void (IrDataDialog::*execute)());
    void showContextMenu(const QPoint &position);
    [[nodiscard]] std::optional<QString> readTextFile(const QString &path);
    [[nodiscard]] bool writeBack();
    void notice(const QString &text);
    void guarded(const std::function<void()> &command);

    Prompt &m_prompt;
    IrDataHost &m_host;
    HexEditor *m_editor;
    QStatusBar *m_statusBar;
    QMenu *m_contextMenu;
    QAction *m_openAction;
    QAction *m_saveAction;
    QAction *m_copyAction;
    QAction *m_pasteAction;
};
