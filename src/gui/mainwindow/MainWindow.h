#pragma once

#include "core/common/FileLocations.h"
#include "core/signal/NameEncoding.h"
#include "gui/dialogs/LazyDialog.h"

#include <QMainWindow>

#include <array>
#include <functional>

class AboutDialog;
class AnchoredPlacement;
class CodeGrid;
class CodeTable;
class Document;
class DocumentCommands;
class GoToDialog;
class ModuleCommands;
class PortAssignments;
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
class SerialLink;
class TransferProgressDialog;
class WaveView;

// The main window: it builds the controls and the actions, keeps the rules
// that enable them, and hands every command to the document commands or the
// module commands. It owns the open document, the code grid, the waveform
// view and the dialogs.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    // programDir holds "Temp.~tmp", "ZOQ.ini" and the COMn links.
    MainWindow(Prompt &prompt, const QString &programDir, QWidget *parent = nullptr);
    // The files are kept where locations says.
    MainWindow(Prompt &prompt, const FileLocations &locations, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Called with a stage's name as start() finishes it.
    using StageDone = std::function<void(const char *stage)>;

    // Start-up after construction: settings (they open the port), port boxes,
    // the first New; then the file named on the command line, when there is
    // one, opens as Open would open it. stageDone, when given, learns of each
    // stage as it ends ("settings read", "port opened", "settings applied",
    // "port boxes", "first New"), so the start-up benchmark can time them.
    void start(const QString &documentPath = QString(), const StageDone &stageDone = {});

    [[nodiscard]] Document &document() const { return *m_document; }
    [[nodiscard]] DocumentCommands &documentCommands() const { return *m_documentCommands; }
    [[nodiscard]] ModuleCommands &moduleCommands() const { return *m_moduleCommands; }
    [[nodiscard]] CodeTable &table() const { return *m_table; }
    [[nodiscard]] CodeGrid &grid() const { return *m_grid; }
    [[nodiscard]] SerialLink &link() const;
    [[nodiscard]] QString documentPath() const;
    [[nodiscard]] bool isModified() const;
    [[nodiscard]] bool isDocumentOpen() const;
    [[nodiscard]] QString workingPath() const;
    [[nodiscard]] QString settingsPath() const;
    // "ZOQ-names.ini" beside "ZOQ.ini".
    [[nodiscard]] QString namesPath() const;
    // "ZOQ-ports.ini" beside "ZOQ.ini".
    [[nodiscard]] QString portAssignmentsPath() const;
    [[nodiscard]] const FileLocations &locations() const { return m_locations; }
    [[nodiscard]] int irPortMask() const;
    [[nodiscard]] int irFormat() const;

    // Tests replace the physical left-button state.
    void setLeftButtonState(std::function<bool()> isDown) { m_leftButtonDown = std::move(isDown); }
    [[nodiscard]] bool leftButtonDown() const;

    // The choice in the grid's "Name encoding" menu: key names are read and
    // written in this encoding from now on, and the choice is kept in
    // namesPath().
    void chooseNameEncoding(NameEncoding::Kind kind);

    // Keeps assignments in portAssignmentsPath() and looks COMn up with them
    // from now on; the chosen port is opened again when its device changed.
    void assignPorts(const PortAssignments &assignments);

    // Redraws the waveform of the current row; roll: another row is current.
    void drawWave(bool roll);
    void clearWave();

    // Controls and dialogs used by tests.
    [[nodiscard]] QComboBox *learnTimeBox() const { return m_learnTimeBox; }
    [[nodiscard]] QComboBox *portBox() const { return m_portBox; }
    [[nodiscard]] QComboBox *moduleIdBox() const { return m_moduleIdBox; }
    [[nodiscard]] QRadioButton *normalFormatButton() const { return m_normalFormatButton; }
    [[nodiscard]] QRadioButton *rc5Rc6FormatButton() const { return m_rc5Rc6FormatButton; }
    [[nodiscard]] QCheckBox *irPortBox(int i) const { return m_irPortBoxes[i]; }
    [[nodiscard]] PortLamp *irPortLamp(int i) const { return m_irPortLamps[i]; }
    [[nodiscard]] QAction *action(const QString &name) const;
    [[nodiscard]] QString statusText(int panel) const;
    [[nodiscard]] QString decodeText() const;
    [[nodiscard]] GoToDialog &goToDialog() const;
    [[nodiscard]] TransferProgressDialog &progressDialog() const { return *m_progressDialog; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Whether a command acts on the rows of the open table.
    enum class Needs { Nothing, Rows };

    void buildActions();
    void buildToolBar();
    void buildControls();
    void buildLearnGroup();
    void buildPortPanel();
    void buildWaveControls();
    void placeShowTimeBox();
    void buildStatusBar();
    void buildGrid();
    void buildGridMenu();
    void buildNameEncodingMenu(QMenu *menu);
    void createIrPortControls();
    void connectCommands();
    QAction *addAction(const QString &name, const QString &caption, const QKeySequence &shortcut,
                       std::function<void()> command, Needs needs = Needs::Rows);

    // Every command runs here: one that acts on rows does nothing while no
    // table is open, and none acts while an exchange with the module holds
    // the line (the learn button, then Stop, goes its own way).
    void runCommand(const std::function<void()> &command, Needs needs = Needs::Rows);
    void learnOrStop();
    // Runs a command; an error that escapes it is shown and the program goes on.
    void guarded(const std::function<void()> &command);

    void updateActions();
    void showDocument(const QString &path);
    void showSaveProgress(int row, int rowCount);
    void setModuleLabels();
    // The decode of the current row in the status bar panel after the document path.
    void showCurrentDecode();
    void setCapturing(bool capturing);
    void setBusy(bool busy, QWidget *except = nullptr);
    void setLamps(bool sending);

    void onCurrentRowChanged();
    void onLearnTimeChosen();
    void choosePort();
    void showUnaskedInput(bool arriving);
    void setPortStatus(const QString &status);
    void showPortStatus();
    void showPortLost();
    void showSerialPorts();
    void zoomIn();
    void zoomOut();
    void normalSize();
    void showTime();
    // "Save picture..." of the waveform's menu, named after the current key.
    void saveWavePicture();
    void showAbout();

    void readSettings(const StageDone &stageDone);
    void noticeUnreadSettings(const QString &refusal);
    void writeSettings();
    void applyNameEncoding(NameEncoding::Kind kind);

    // Closing while an exchange with the module holds the line.
    void askToStopExchange();
    void stopExchangeAndClose();
    void closeIfExchangeStopped();

    Prompt &m_prompt;
    FileLocations m_locations;
    CodeTable *m_table;
    Document *m_document;

    bool m_busy = false;
    bool m_learning = false;
    bool m_closeQuestionOpen = false;
    // Set by a close that stopped an exchange; the close runs once it has ended.
    bool m_closeAfterExchange = false;
    // The port panel's text, and whether the module sends unasked (which
    // the panel says instead while it lasts).
    QString m_portStatus;
    bool m_unaskedInput = false;
    std::function<bool()> m_leftButtonDown;

    // Controls.
    QWidget *m_client;
    AnchoredPlacement *m_placement;
    std::array<QLabel *, 4> m_moduleLabels{};
    QWidget *m_gridPanel;
    CodeGrid *m_grid;
    QGroupBox *m_irPortGroup;
    QGroupBox *m_learnGroup;
    QComboBox *m_learnTimeBox;
    QRadioButton *m_normalFormatButton;
    QRadioButton *m_rc5Rc6FormatButton;
    QPushButton *m_learnButton;
    QComboBox *m_portBox;
    QComboBox *m_moduleIdBox;
    QProgressBar *m_saveProgressBar;
    QToolButton *m_zoomInButton;
    QToolButton *m_zoomOutButton;
    QToolButton *m_normalSizeButton;
    QToolButton *m_clearWaveButton;
    QCheckBox *m_showTimeBox;
    WaveView *m_waveView;
    QMenu *m_gridMenu;
    std::array<QLabel *, 4> m_statusPanels{};
    QLabel *m_decodePanel = nullptr;
    std::array<QCheckBox *, 8> m_irPortBoxes{};
    std::array<PortLamp *, 8> m_irPortLamps{};

    // Dialogs, created once (the about box when first shown) and reused.
    LazyDialog<AboutDialog> m_aboutDialog;
    TransferProgressDialog *m_progressDialog;

    DocumentCommands *m_documentCommands = nullptr;
    ModuleCommands *m_moduleCommands = nullptr;
};
