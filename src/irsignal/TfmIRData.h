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
class TfmIRData final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmIRData)

public:
    static constexpr int DesignWidth = 651;
    static constexpr int DesignHeight = 334;

    TfmIRData(Prompt &prompt, IrDataHost &host, QWidget *parent = nullptr);

    // Loads a row's "IR Data" as exactly 512 bytes: a longer field is cut, a
    // shorter one is padded with 0xFF, the value of erased slot bytes. The
    // editor starts in overwrite mode.
    void loadBlock(const QByteArray &field);

    [[nodiscard]] HexEditor &hexEditor() const { return *m_editor; }
    [[nodiscard]] QMenu &popupMenu() const { return *PopupMenu1; }
    [[nodiscard]] QAction *openAction() const { return Open; }
    [[nodiscard]] QAction *saveAction() const { return Save; }
    [[nodiscard]] QAction *copyAction() const { return Copy; }
    [[nodiscard]] QAction *pasteAction() const { return Paste; }

    void OpenExecute();
    void SaveExecute();
    void CopyExecute();
    void PasteExecute();
    void CopyUpdate();
    void PasteUpdate();
    // Whether the dialog may close now; asks to write the block back first.
    [[nodiscard]] bool FormCloseQuery();

    // Closing by the close box or Esc goes through FormCloseQuery.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QAction *addEditAction(const QString &caption, const QKeySequence &shortcut, void (TfmIRData::*execute)());
    void showPopupMenu(const QPoint &position);
    [[nodiscard]] std::optional<QString> readTextFile(const QString &path);
    [[nodiscard]] bool writeBack();
    void notice(const QString &text);
    void guarded(const std::function<void()> &command);

    Prompt &m_prompt;
    IrDataHost &m_host;
    HexEditor *m_editor;
    QStatusBar *StatusBar1;
    QMenu *PopupMenu1;
    QAction *Open;
    QAction *Save;
    QAction *Copy;
    QAction *Paste;
};
