#pragma once

#include "device/EepromTransfer.h"
#include "device/LearnHost.h"
#include "document/CodeTable.h"
#include "document/ModuleInfo.h"
#include "irsignal/IrDataHost.h"
#include "irsignal/NameEncoding.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class AnchoredPlacement;
class CodeGrid;
class PortLamp;
class Prompt;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;
class LearnRun;
class RowClipboard;
class SendExchange;
class SerialLink;
class TfmAbout;
class TfmFuncEdit;
class TfmGoTo;
class TfmIRData;
class TfmProgress;
class TfmRemark;
class WaveView;
class WorkingFileLock;

// The main window. It owns the open document and its code table, the serial
// link, the waveform view, the row clipboard and the dialogs, and holds the
// handlers of every command; the handlers stay short and call into the core.
class TForm1 final : public QMainWindow, private LearnHost, private IrDataHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm1)

public:
    // programDir holds "Temp.~tmp", "ZOQ.ini" and the COMn links.
    TForm1(Prompt &prompt, const QString &programDir, QWidget *parent = nullptr);
    ~TForm1() override;

    // Start-up after construction: settings, port boxes, the first New.
    void FormCreate();

    // Document state.
    [[nodiscard]] QString documentPath() const { return m_documentPath; }
    [[nodiscard]] bool isModified() const { return m_modified; }
    [[nodiscard]] bool isDocumentOpen() const { return m_documentOpen; }
    [[nodiscard]] CodeTable &table() const { return *ADOQuery1; }
    [[nodiscard]] CodeGrid &grid() const { return *DBGridEh1; }
    [[nodiscard]] SerialLink &link() const { return *m_link; }
    [[nodiscard]] QString workingPath() const;
    [[nodiscard]] QString settingsPath() const;
    // "ZOQ-names.ini" beside "ZOQ.ini".
    [[nodiscard]] QString namesPath() const;

    // Module parameters.
    [[nodiscard]] int irPortMask() const { return m_irPortMask; }
    [[nodiscard]] int irFormat() const { return m_irFormat; }

    // Tests replace the physical left-button state.
    void setLeftButtonState(std::function<bool()> isDown) { m_leftButtonDown = std::move(isDown); }
    [[nodiscard]] bool leftButtonDown() const;

    // Commands (actions of the window).
    void NewExecute();
    void OpenExecute();
    void SaveExecute();
    void SaveAsExecute();
    void CopyExecute();
    void PasteExecute();
    void SelectAllExecute();
    void UploadExecute();
    void DownloadExecute();
    void DelFunctionsExecute();
    void InsertFunctionsExecute();
    void IRLearnExecute();
    void IRStopExecute();
    void AboutExecute();
    void EditFuncExecute();
    void GotoExecute();
    void EditRemark();
    bool IRSendRow();
    // The choice in the grid's "Name encoding" menu: key names are read and
    // written in this encoding from now on, and the choice is kept in
    // namesPath().
    void chooseNameEncoding(NameEncoding::Kind kind);

    // Waveform.
    void DrawWave(bool roll);
    void ClearWave();

    // Handlers of the dataset.
    void ADOQuery1AfterPost();
    void ADOQuery1AfterScroll();

    // Grid gestures.
    void sendStripPressed();
    void editIrData();

    // Controls.
    void ChBoxClick(int port);
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void RadioButton1Click();
    void RadioButton2Click();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void CheckBox9Click();

    // Update handlers of the actions.
    void updateActions();

    // Controls used by tests.
    [[nodiscard]] QComboBox *learnTimeBox() const { return ComboBox1; }
    [[nodiscard]] QComboBox *comBox() const { return ComboBox2; }
    [[nodiscard]] QComboBox *moduleIdBox() const { return ComboBox3; }
    [[nodiscard]] QRadioButton *normalButton() const { return RadioButton1; }
    [[nodiscard]] QRadioButton *rc5Button() const { return RadioButton2; }
    [[nodiscard]] QCheckBox *portBox(int i) const { return m_portBoxes[i]; }
    [[nodiscard]] PortLamp *portLamp(int i) const { return m_portLamps[i]; }
    [[nodiscard]] QAction *action(const QString &name) const;
    [[nodiscard]] QString statusText(int panel) const;
    [[nodiscard]] TfmGoTo &goToDialog() const { return *m_fmGoTo; }
    [[nodiscard]] TfmProgress &progressDialog() const { return *m_fmProgress; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    static constexpr int ButtonPollMs = 15;

    void buildToolBar();
    void buildGrid();
    void buildNameEncodingMenu(QMenu *popup);
    void applyNameEncoding(NameEncoding::Kind kind);
    void buildWaveView();
    void buildActions();
    void buildControls();
    void buildStatusBar();
    void createPortControls();
    void createDialogs();
    void readSettings();
    bool writeSettings();
    // Whether a command acts on the rows of the open table.
    enum class Needs { Nothing, OpenTable };

    QAction *addAction(const QString &name, const QString &caption, const QKeySequence &shortcut,
                       void (TForm1::*handler)(), Needs needs = Needs::OpenTable);
    // Every command of the window runs here: one that acts on rows does
    // nothing while no table is open, and none but the learn button acts
    // while an exchange with the module holds the line.
    void runCommand(void (TForm1::*handler)(), Needs needs = Needs::OpenTable);
    [[nodiscard]] bool hasOpenTable() const;

    // Runs a command; an error that escapes it is shown and the program goes on.
    void guarded(const std::function<void()> &command);
    void showError(const QString &text);

    bool savePrompt();
    [[nodiscard]] bool confirmPushOut(int row);
    bool newDocument();
    void OpenDocument(const QString &path);
    void closeTable();
    void importImage(const QString &path);
    void setModuleLabels();
    void setBusy(bool busy, QWidget *except = nullptr);
    void setLamps(bool sending);
    EepromTransfer::Callbacks transferCallbacks();
    void goToSlotRow(int slot);

    // Closing while an exchange with the module holds the line.
    [[nodiscard]] bool exchangeRunning() const;
    void askToStopExchange();
    void stopExchangeAndClose();

    // LearnHost
    void detachAfterScroll() override;
    void attachAfterScroll() override;
    QList<int> selectedRows() override;
    void makeCurrent(int row) override;
    QByteArray currentNameBytes() override;
    void storeBlock(const TIRDataBlock &block) override;
    void drawWave(bool roll) override;
    void scrollWaveToStart() override;
    void setCapturing(bool capturing) override;

    // IrDataHost
    QString currentFunction() const override;
    void writeIrData(const QByteArray &block) override;

    Prompt &m_prompt;
    QString m_programDir;

    // Document state.
    QString m_documentPath;
    bool m_modified = false;
    bool m_documentOpen = false;
    ModuleInfo m_moduleInfo;
    QString m_lastSaveName;
    std::unique_ptr<WorkingFileLock> m_workingLock;

    // Module parameters.
    int m_irPortMask = 255;
    int m_irFormat = 1;
    int m_learnTime = 1;
    int m_moduleId = 0;
    bool m_gridSendBusy = false;
    bool m_commandsBlocked = false;
    bool m_learning = false;
    bool m_closeQuestionOpen = false;
    // Set by a close that stopped an exchange; the close runs once it has ended.
    bool m_closeAfterExchange = false;
    CodeTable::Hook m_savedAfterScroll;
    std::function<bool()> m_leftButtonDown;

    CodeTable *ADOQuery1;
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<RowClipboard> m_clipboard;
    std::unique_ptr<LearnRun> m_learnRun;
    std::unique_ptr<SendExchange> m_send;

    // Controls.
    QWidget *m_client;
    AnchoredPlacement *m_placement;
    QWidget *Panel1;
    std::array<QLabel *, 4> m_moduleLabels{};
    QWidget *Panel2;
    CodeGrid *DBGridEh1;
    QGroupBox *GroupBox2;
    QGroupBox *GroupBox1;
    QComboBox *ComboBox1;
    QRadioButton *RadioButton1;
    QRadioButton *RadioButton2;
    QPushButton *Button1;
    QWidget *Panel3;
    QComboBox *ComboBox2;
    QComboBox *ComboBox3;
    QProgressBar *ProgressBar1;
    QToolButton *BitBtn1;
    QToolButton *BitBtn2;
    QToolButton *BitBtn3;
    QToolButton *BitBtn4;
    QCheckBox *CheckBox9;
    WaveView *ScrollBox1;
    std::array<QLabel *, 4> m_statusPanels{};
    std::array<QCheckBox *, 8> m_portBoxes{};
    std::array<PortLamp *, 8> m_portLamps{};

    // Dialogs, created once and reused.
    TfmFuncEdit *m_fmFuncEdit = nullptr;
    TfmIRData *m_fmIRData = nullptr;
    TfmRemark *m_fmRemark = nullptr;
    TfmAbout *m_fmAbout = nullptr;
    TfmGoTo *m_fmGoTo = nullptr;
    TfmProgress *m_fmProgress = nullptr;
};
