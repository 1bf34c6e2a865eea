#include "gui/mainwindow/MainWindow.h"

#include "core/common/AppTexts.h"
#include "core/common/ErrorHandler.h"
#include "core/common/Prompt.h"
#include "core/common/ZoqError.h"
#include "core/device/SerialLink.h"
#include "core/document/CodeTable.h"
#include "core/document/Document.h"
#include "core/document/RowClipboard.h"
#include "core/device/SerialDevice.h"
#include "core/document/UndoHistory.h"
#include "core/settings/NameEncodingFile.h"
#include "core/settings/PortAssignments.h"
#include "core/settings/SettingsFile.h"
#include "core/signal/IrDecoder.h"
#include "core/signal/WavePicture.h"
#include "gui/dialogs/AboutDialog.h"
#include "gui/dialogs/SerialPortsDialog.h"
#include "gui/dialogs/TransferProgressDialog.h"
#include "gui/grid/CodeGrid.h"
#include "gui/mainwindow/AnchoredPlacement.h"
#include "gui/mainwindow/DocumentCommands.h"
#include "gui/mainwindow/ModuleCommands.h"
#include "gui/mainwindow/PortLamp.h"
#include "gui/mainwindow/RightButtonFilter.h"
#include "gui/mainwindow/ShortcutPassThrough.h"
#include "gui/mainwindow/ToolBarArt.h"
#include "gui/wave/WaveView.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace {

constexpr int ClientWidth = 758;
constexpr int ClientHeight = 626;
constexpr int ToolBarHeight = 57;
constexpr int StatusBarHeight = 19;
constexpr int WaveButtonWidth = 28;
// The format buttons lie 16 pixels apart.
constexpr int RadioButtonHeight = 16;
constexpr int ClearWaveLeft = 651;
constexpr int MinShowTimePixels = 9;

using A = AnchoredPlacement;

const QKeySequence UndoKey(Qt::CTRL | Qt::Key_Z);
const QList<QKeySequence> RedoKeys = {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)};

// "Undo Paste", or "Undo" alone when there is nothing to undo.
QString stepCaption(const QString &verb, const QString &label)
{
    return label.isEmpty() ? verb : verb + QLatin1Char(' ') + label;
}

// "宋体" 12 pixels high, or the closest font the system has.
QFont windowFont()
{
    QFont font;
    // The first family the system has is taken when the font is first used;
    // nothing lists the system's families up front.
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(12);
    return font;
}

QLabel *makeLabel(const QString &text, QWidget *parent, QPoint at)
{
    auto *label = new QLabel(text, parent);
    label->move(at);
    label->adjustSize();
    return label;
}

// Design positions count from the top of the window's client area, which
// begins below the tool bar.
QRect designRect(int left, int top, int width, int height)
{
    return QRect(left, top - ToolBarHeight, width, height);
}

} // namespace

MainWindow::MainWindow(Prompt &prompt, const QString &programDir, QWidget *parent)
    : MainWindow(prompt, FileLocations::besideProgram(programDir), parent)
{
}

MainWindow::MainWindow(Prompt &prompt, const FileLocations &locations, QWidget *parent)
    : QMainWindow(parent)
    , m_prompt(prompt)
    , m_locations(locations)
    , m_table(new CodeTable(this))
    , m_document(new Document(*m_table, prompt, locations.workingPath(), this))
    , m_aboutDialog([this] { return new AboutDialog(this); })
{
    m_table->setObjectName(QStringLiteral("table"));
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(AppTexts::mainCaption());
    setWindowIcon(ToolBarArt::icon(ToolBarArt::Picture::AppIcon));
    setFont(windowFont());
    resize(ClientWidth, ClientHeight);
    setMinimumSize(575 - 16, 596 - 39); // the smallest window, less a frame's borders

    buildActions();
    buildToolBar();
    buildControls();
    buildStatusBar();
    m_progressDialog = new TransferProgressDialog(this);
    m_documentCommands = new DocumentCommands(*m_document, *m_grid, prompt, this);
    m_moduleCommands = new ModuleCommands(*m_table, m_document->history(), *m_grid, *m_progressDialog, prompt, this);
    m_moduleCommands->link().locator().setLinkFolders(locations.linkFolders());
    connectCommands();
    buildGridMenu();
    new RightButtonFilter(this);
    updateActions();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

MainWindow::~MainWindow() = default;

SerialLink &MainWindow::link() const
{
    return m_moduleCommands->link();
}

QString MainWindow::documentPath() const
{
    return m_document->path();
}

bool MainWindow::isModified() const
{
    return m_document->isModified();
}

bool MainWindow::isDocumentOpen() const
{
    return m_document->hasBeenOpened();
}

QString MainWindow::workingPath() const
{
    return m_document->workingPath();
}

QString MainWindow::settingsPath() const
{
    return m_locations.settingsPath();
}

QString MainWindow::namesPath() const
{
    return NameEncodingFile::path(m_locations.configDir());
}

QString MainWindow::portAssignmentsPath() const
{
    return PortAssignments::path(m_locations.configDir());
}

int MainWindow::irPortMask() const
{
    return m_moduleCommands->irPortMask();
}

int MainWindow::irFormat() const
{
    return m_moduleCommands->irFormat();
}

GoToDialog &MainWindow::goToDialog() const
{
    return m_documentCommands->goToDialog();
}

bool MainWindow::leftButtonDown() const
{
    if (m_leftButtonDown)
        return m_leftButtonDown();
    return QGuiApplication::mouseButtons().testFlag(Qt::LeftButton);
}

QAction *MainWindow::action(const QString &name) const
{
    return findChild<QAction *>(name);
}

QString MainWindow::statusText(int panel) const
{
    return m_statusPanels[panel]->text();
}

QString MainWindow::decodeText() const
{
    return m_decodePanel->text();
}

// ---------------------------------------------------------------------------
// Actions and controls

QAction *MainWindow::addAction(const QString &name, const QString &caption, const QKeySequence &shortcut,
                               std::function<void()> command, Needs needs)
{
    auto *action = new QAction(caption, this);
    action->setIconText(caption); // tool buttons show the caption as it stands, "..." included
    action->setObjectName(name);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, command = std::move(command), needs] { runCommand(command, needs); });
    QMainWindow::addAction(action);
    return action;
}

void MainWindow::buildActions()
{
    using P = ToolBarArt::Picture;
    // std::invoke rather than ->*: GCC's sanitizer takes the member call
    // through ->* in these lambdas for an access to a wrong object.
    const auto documents = [this](void (DocumentCommands::*command)()) {
        return [this, command] { std::invoke(command, m_documentCommands); };
    };
    const auto module = [this](void (ModuleCommands::*command)()) {
        return [this, command] { std::invoke(command, m_moduleCommands); };
    };
    addAction(QStringLiteral("newDocument"), QStringLiteral("New"), QKeySequence(Qt::CTRL | Qt::Key_N),
              documents(&DocumentCommands::newDocument), Needs::Nothing)
        ->setIcon(ToolBarArt::icon(P::New));
    addAction(QStringLiteral("openDocument"), QStringLiteral("Open..."), QKeySequence(Qt::CTRL | Qt::Key_O),
              documents(&DocumentCommands::openDocument), Needs::Nothing)
        ->setIcon(ToolBarArt::icon(P::Open));
    addAction(QStringLiteral("saveDocument"), QStringLiteral("Save"), QKeySequence(Qt::CTRL | Qt::Key_S),
              documents(&DocumentCommands::saveDocument))
        ->setIcon(ToolBarArt::icon(P::Save));
    addAction(QStringLiteral("compileImage"), QStringLiteral("Compile"), {}, documents(&DocumentCommands::compileImage))
        ->setIcon(ToolBarArt::icon(P::Compile));
    addAction(QStringLiteral("copyRows"), QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C),
              documents(&DocumentCommands::copyRows));
    addAction(QStringLiteral("pasteRows"), QStringLiteral("Paste"), QKeySequence(Qt::CTRL | Qt::Key_V),
              documents(&DocumentCommands::pasteRows));
    addAction(QStringLiteral("selectAllRows"), QStringLiteral("Select All"), QKeySequence(Qt::CTRL | Qt::Key_A),
              documents(&DocumentCommands::selectAllRows));
    addAction(QStringLiteral("uploadFromModule"), QStringLiteral("Up Load"), {}, module(&ModuleCommands::uploadFromModule))
        ->setIcon(ToolBarArt::icon(P::Upload));
    addAction(QStringLiteral("deleteRow"), QStringLiteral("Delete"), {}, documents(&DocumentCommands::deleteRow));
    addAction(QStringLiteral("insertRow"), QStringLiteral("Insert"), QKeySequence(Qt::Key_Insert),
              documents(&DocumentCommands::insertRow));
    // The learn action is the Stop button while a learn runs: it goes its own way.
    auto *learn = new QAction(QStringLiteral("IR Learn"), this);
    learn->setObjectName(QStringLiteral("learnSelectedRows"));
    connect(learn, &QAction::triggered, this, [this] { learnOrStop(); });
    QMainWindow::addAction(learn);
    addAction(QStringLiteral("showAbout"), QStringLiteral("About..."), {}, [this] { showAbout(); }, Needs::Nothing)
        ->setIcon(ToolBarArt::icon(P::About));
    addAction(QStringLiteral("downloadToModule"), QStringLiteral("Download"), {},
              module(&ModuleCommands::downloadToModule))
        ->setIcon(ToolBarArt::icon(P::Download));
    addAction(QStringLiteral("stopModule"), QStringLiteral("IR Stop"), {}, module(&ModuleCommands::stopModule),
              Needs::Nothing);
    addAction(QStringLiteral("renameKey"), QStringLiteral("Edit..."), {}, documents(&DocumentCommands::renameKey));
    addAction(QStringLiteral("goToRow"), QStringLiteral("Goto"), QKeySequence(Qt::CTRL | Qt::Key_G),
              documents(&DocumentCommands::goToRow));
    addAction(QStringLiteral("undoChange"), QStringLiteral("Undo"), UndoKey, documents(&DocumentCommands::undoChange));
    addAction(QStringLiteral("redoChange"), QStringLiteral("Redo"), RedoKeys.first(),
              documents(&DocumentCommands::redoChange))
        ->setShortcuts(RedoKeys);
    addAction(QStringLiteral("importCodes"), QStringLiteral("Import codes..."), {},
              documents(&DocumentCommands::importCodes));
    addAction(QStringLiteral("exportCodes"), QStringLiteral("Export codes..."), {},
              documents(&DocumentCommands::exportCodes));
    addAction(QStringLiteral("newCodeFromProtocol"), QStringLiteral("New code from protocol..."),
              QKeySequence(Qt::CTRL | Qt::Key_K), documents(&DocumentCommands::newCodeFromProtocol));
}

void MainWindow::buildToolBar()
{
    auto *toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("toolBar"));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setIconSize(QSize(32, 32));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolBar->setFixedHeight(ToolBarHeight);
    toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    const QStringList order = {QStringLiteral("newDocument"),      QStringLiteral("openDocument"),
                               QStringLiteral("saveDocument"),     QStringLiteral("compileImage"),
                               QString(),                          QStringLiteral("uploadFromModule"),
                               QStringLiteral("downloadToModule"), QString(),
                               QStringLiteral("showAbout")};
    for (const QString &name : order) {
        if (name.isEmpty()) {
            toolBar->addSeparator();
            continue;
        }
        toolBar->addAction(action(name));
        if (QWidget *button = toolBar->widgetForAction(action(name)))
            button->setMinimumSize(55, 51);
    }
    addToolBar(Qt::TopToolBarArea, toolBar);
}

void MainWindow::buildControls()
{
    m_client = new QWidget(this);
    setCentralWidget(m_client);
    m_client->resize(ClientWidth, ClientHeight - ToolBarHeight - StatusBarHeight);
    m_placement = new AnchoredPlacement(m_client, m_client->size());

    auto *moduleInfoPanel = new QFrame(m_client);
    moduleInfoPanel->setObjectName(QStringLiteral("moduleInfoPanel"));
    moduleInfoPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // The module info labels lie below the panel's 8 pixels and never show.
    for (int i = 0; i < 4; ++i)
        m_moduleLabels[i] = makeLabel(QString(), moduleInfoPanel, QPoint(8 + 150 * i, 12));
    m_placement->place(moduleInfoPanel, QRect(0, 0, ClientWidth, 8), A::Left | A::Top | A::Right);

    m_gridPanel = new QWidget(m_client);
    m_gridPanel->setObjectName(QStringLiteral("gridPanel"));
    buildGrid();
    m_placement->place(m_gridPanel, designRect(0, 72, 545, 409), A::Left | A::Top | A::Right | A::Bottom);

    m_irPortGroup = new QGroupBox(QStringLiteral("IR Port"), m_client);
    m_irPortGroup->setObjectName(QStringLiteral("irPortGroup"));
    m_placement->place(m_irPortGroup, designRect(551, 72, 91, 161), A::Top | A::Right);

    buildLearnGroup();

    m_learnButton = new QPushButton(m_client);
    m_learnButton->setObjectName(QStringLiteral("learnButton"));
    QAction *learn = action(QStringLiteral("learnSelectedRows"));
    m_learnButton->setText(learn->text());
    connect(m_learnButton, &QPushButton::clicked, learn, &QAction::trigger);
    connect(learn, &QAction::changed, m_learnButton, [this, learn] {
        m_learnButton->setText(learn->text());
        m_learnButton->setEnabled(learn->isEnabled());
    });
    m_placement->place(m_learnButton, designRect(665, 192, 67, 25), A::Top | A::Right);

    buildPortPanel();

    m_saveProgressBar = new QProgressBar(m_client);
    m_saveProgressBar->setObjectName(QStringLiteral("saveProgressBar"));
    m_saveProgressBar->setRange(0, 512);
    m_saveProgressBar->setTextVisible(false);
    m_saveProgressBar->hide();
    m_placement->place(m_saveProgressBar, designRect(552, 297, 201, 20), A::Right | A::Bottom);

    buildWaveControls();
}

void MainWindow::buildLearnGroup()
{
    m_learnGroup = new QGroupBox(QStringLiteral("Learn"), m_client);
    m_learnGroup->setObjectName(QStringLiteral("learnGroup"));
    makeLabel(QStringLiteral("Time:"), m_learnGroup, QPoint(8, 30));
    m_learnTimeBox = new QComboBox(m_learnGroup);
    m_learnTimeBox->setObjectName(QStringLiteral("learnTimeBox"));
    m_learnTimeBox->setEditable(true);
    m_learnTimeBox->setInsertPolicy(QComboBox::NoInsert);
    m_learnTimeBox->addItems({QStringLiteral("1s"), QStringLiteral("2s"), QStringLiteral("3s")});
    m_learnTimeBox->setGeometry(42, 24, 45, 21);
    // Its text box would take the undo and redo keys for its own text.
    new ShortcutPassThrough(m_learnTimeBox, QList<QKeySequence>{UndoKey} + RedoKeys);
    connect(m_learnTimeBox, &QComboBox::currentIndexChanged, this, [this] { onLearnTimeChosen(); });
    connect(m_learnTimeBox, &QComboBox::editTextChanged, this, [this] { onLearnTimeChosen(); });
    makeLabel(QStringLiteral("IR Format:"), m_learnGroup, QPoint(8, 56));
    m_normalFormatButton = new QRadioButton(QStringLiteral("Normal"), m_learnGroup);
    m_normalFormatButton->setObjectName(QStringLiteral("normalFormatButton"));
    m_normalFormatButton->setGeometry(8, 72, m_normalFormatButton->sizeHint().width(), RadioButtonHeight);
    m_rc5Rc6FormatButton = new QRadioButton(QStringLiteral("RC5/RC6"), m_learnGroup);
    m_rc5Rc6FormatButton->setObjectName(QStringLiteral("rc5Rc6FormatButton"));
    m_rc5Rc6FormatButton->setGeometry(8, 88, m_rc5Rc6FormatButton->sizeHint().width(), RadioButtonHeight);
    connect(m_normalFormatButton, &QRadioButton::clicked, this, [this] { m_moduleCommands->setIrFormat(1); });
    connect(m_rc5Rc6FormatButton, &QRadioButton::clicked, this, [this] { m_moduleCommands->setIrFormat(2); });
    m_placement->place(m_learnGroup, designRect(655, 72, 91, 161), A::Top | A::Right);
}

void MainWindow::buildPortPanel()
{
    auto *portPanel = new QFrame(m_client);
    portPanel->setObjectName(QStringLiteral("portPanel"));
    portPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    portPanel->setLineWidth(2);
    makeLabel(QStringLiteral("COM:"), portPanel, QPoint(9, 15));
    m_portBox = new QComboBox(portPanel);
    m_portBox->setObjectName(QStringLiteral("portBox"));
    m_portBox->addItems(SerialLink::comBoxItems());
    m_portBox->setGeometry(42, 10, 68, 22);
    connect(m_portBox, &QComboBox::activated, this, [this] { guarded([this] { choosePort(); }); });
    // "Serial ports..." from the small button beside the COM box, or from the
    // panel's right-click menu.
    auto *serialPorts = new QAction(QStringLiteral("Serial ports..."), portPanel);
    serialPorts->setObjectName(QStringLiteral("serialPorts"));
    connect(serialPorts, &QAction::triggered, this, [this] { runCommand([this] { showSerialPorts(); }, Needs::Nothing); });
    portPanel->addAction(serialPorts);
    portPanel->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *serialPortsButton = new QToolButton(portPanel);
    serialPortsButton->setObjectName(QStringLiteral("serialPortsButton"));
    serialPortsButton->setText(QStringLiteral("..."));
    serialPortsButton->setToolTip(serialPorts->text());
    serialPortsButton->setGeometry(112, 10, 20, 22);
    connect(serialPortsButton, &QToolButton::clicked, serialPorts, &QAction::trigger);
    makeLabel(QStringLiteral("ID:"), portPanel, QPoint(135, 15));
    m_moduleIdBox = new QComboBox(portPanel);
    m_moduleIdBox->setObjectName(QStringLiteral("moduleIdBox"));
    for (int i = 0; i < 16; ++i)
        m_moduleIdBox->addItem(QString::number(i, 16).toUpper());
    m_moduleIdBox->setMaxVisibleItems(16);
    m_moduleIdBox->setGeometry(152, 10, 45, 22);
    connect(m_moduleIdBox, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_moduleCommands->setModuleId(index); });
    m_placement->place(portPanel, designRect(550, 248, 201, 41), A::Top | A::Right);
}

void MainWindow::buildWaveControls()
{
    using P = ToolBarArt::Picture;
    const auto waveButton = [this](const char *name, const QString &hint, P picture, int left,
                                   void (MainWindow::*handler)()) {
        auto *button = new QToolButton(m_client);
        button->setObjectName(QLatin1String(name));
        button->setToolTip(hint);
        button->setIcon(ToolBarArt::icon(picture));
        button->setIconSize(QSize(20, 20));
        connect(button, &QToolButton::clicked, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
        m_placement->place(button, designRect(left, 454, WaveButtonWidth, 26), A::Right | A::Bottom);
        return button;
    };
    m_zoomInButton = waveButton("zoomInButton", QStringLiteral("Zoom in"), P::ZoomIn, 553, &MainWindow::zoomIn);
    m_normalSizeButton =
        waveButton("normalSizeButton", QStringLiteral("Normal size"), P::NormalSize, 587, &MainWindow::normalSize);
    m_zoomOutButton = waveButton("zoomOutButton", QStringLiteral("Zoom out"), P::ZoomOut, 617, &MainWindow::zoomOut);
    m_clearWaveButton =
        waveButton("clearWaveButton", QStringLiteral("Clear wave"), P::ClearWave, ClearWaveLeft, &MainWindow::clearWave);

    m_showTimeBox = new QCheckBox(QStringLiteral("Show time"), m_client);
    m_showTimeBox->setObjectName(QStringLiteral("showTimeBox"));
    connect(m_showTimeBox, &QCheckBox::clicked, this, [this] { guarded([this] { showTime(); }); });
    placeShowTimeBox();

    m_waveView = new WaveView(m_client);
    m_waveView->setObjectName(QStringLiteral("waveView"));
    connect(m_waveView, &WaveView::redrawRequested, this, [this] { guarded([this] { drawWave(false); }); });
    connect(m_waveView, &WaveView::savePictureRequested, this, [this] { guarded([this] { saveWavePicture(); }); });
    m_placement->place(m_waveView, designRect(0, 486, 756, 121), A::Left | A::Right | A::Bottom);
}

// "Show time" sits after the last wave button. Its text is in the window's
// font, or a smaller one where that is too wide for the room left before the
// window's right edge (a fallback wider than the designed font).
void MainWindow::placeShowTimeBox()
{
    const int left = ClearWaveLeft + WaveButtonWidth + 1;
    const int room = ClientWidth - left;
    QFont font = m_showTimeBox->font();
    while (m_showTimeBox->sizeHint().width() > room && font.pixelSize() > MinShowTimePixels) {
        font.setPixelSize(font.pixelSize() - 1);
        m_showTimeBox->setFont(font);
    }
    const int width = std::min(m_showTimeBox->sizeHint().width(), room);
    m_placement->place(m_showTimeBox, designRect(left, 456, width, 17), A::Right | A::Bottom);
}

void MainWindow::buildStatusBar()
{
    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setSizeGripEnabled(true);
    const std::array<int, 4> widths = {35, 100, 60, 50};
    const std::array<QString, 4> texts = {QStringLiteral(" COM"), QString(), QStringLiteral("MBD File"), QString()};
    for (int i = 0; i < 4; ++i) {
        m_statusPanels[i] = new QLabel(texts[i], bar);
        m_statusPanels[i]->setMinimumWidth(widths[i]);
        m_statusPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(m_statusPanels[i], i == 3 ? 1 : 0);
    }
    m_decodePanel = new QLabel(bar);
    m_decodePanel->setObjectName(QStringLiteral("decodePanel"));
    m_decodePanel->setMinimumWidth(160);
    m_decodePanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->addWidget(m_decodePanel);
    setStatusBar(bar);
}

void MainWindow::buildGrid()
{
    auto *layout = new QVBoxLayout(m_gridPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    m_grid = new CodeGrid(m_gridPanel);
    m_grid->setTable(m_table);
    layout->addWidget(m_grid);

    connect(m_grid, &CodeGrid::sendStripPressed, this, [this] {
        runCommand([this] { m_moduleCommands->sendWhileHeld([this] { return leftButtonDown(); }); });
    });
    connect(m_grid, &CodeGrid::idCellPressed, this, [this] { guarded([this] { drawWave(false); }); });
    connect(m_grid, &CodeGrid::fieldDoubleClicked, this, [this](const QString &name) {
        if (name == QLatin1String("Function"))
            runCommand([this] { m_documentCommands->renameKey(); });
        else if (name == QLatin1String("IR Data"))
            runCommand([this] { m_documentCommands->editIrData(); });
        else if (name == QLatin1String("Remark"))
            runCommand([this] { m_documentCommands->editRemark(); });
    });
}

void MainWindow::buildGridMenu()
{
    m_gridMenu = new QMenu(m_grid);
    m_gridMenu->setObjectName(QStringLiteral("gridMenu"));
    m_gridMenu->addAction(action(QStringLiteral("undoChange")));
    m_gridMenu->addAction(action(QStringLiteral("redoChange")));
    m_gridMenu->addSeparator();
    m_gridMenu->addAction(action(QStringLiteral("copyRows")));
    m_gridMenu->addAction(action(QStringLiteral("pasteRows")));
    m_gridMenu->addSeparator();
    m_gridMenu->addAction(action(QStringLiteral("insertRow")));
    // The menu item carries Del, which works while the grid has the focus.
    QAction *deleteRow = action(QStringLiteral("deleteRow"));
    auto *deleteItem = new QAction(QStringLiteral("Delete"), m_grid);
    deleteItem->setObjectName(QStringLiteral("deleteItem"));
    deleteItem->setShortcut(QKeySequence(Qt::Key_Delete));
    deleteItem->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(deleteItem, &QAction::triggered, deleteRow, &QAction::trigger);
    connect(deleteRow, &QAction::changed, deleteItem, [deleteItem, deleteRow] { deleteItem->setEnabled(deleteRow->isEnabled()); });
    m_grid->addAction(deleteItem);
    m_gridMenu->addAction(deleteItem);
    m_gridMenu->addSeparator();
    m_gridMenu->addAction(action(QStringLiteral("importCodes")));
    m_gridMenu->addAction(action(QStringLiteral("exportCodes")));
    m_gridMenu->addAction(action(QStringLiteral("newCodeFromProtocol")));
    m_gridMenu->addSeparator();
    buildNameEncodingMenu(m_gridMenu->addMenu(QStringLiteral("Name encoding")));
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { m_gridMenu->popup(m_grid->viewport()->mapToGlobal(at)); });
}

void MainWindow::buildNameEncodingMenu(QMenu *menu)
{
    auto *group = new QActionGroup(this);
    const auto add = [this, menu, group](NameEncoding::Kind kind, const char *name, const QString &caption) {
        auto *choice = new QAction(caption, this);
        choice->setObjectName(QLatin1String(name));
        choice->setCheckable(true);
        choice->setChecked(kind == m_table->nameEncoding().kind());
        group->addAction(choice);
        menu->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, kind] { guarded([this, kind] { chooseNameEncoding(kind); }); });
    };
    add(NameEncoding::Kind::Latin1, "nameEncodingLatin1", QStringLiteral("Latin-1"));
    add(NameEncoding::Kind::Gbk, "nameEncodingGbk", QStringLiteral("GBK (Chinese)"));
}

void MainWindow::createIrPortControls()
{
    for (int i = 0; i < 8; ++i) {
        auto *box = new QCheckBox(QStringLiteral("Port%1").arg(i), m_irPortGroup);
        box->setObjectName(QStringLiteral("irPortBox%1").arg(i));
        box->setGeometry(30, 17 * i + 18, 56, 17);
        box->setChecked(irPortMask() & (1 << i));
        connect(box, &QCheckBox::clicked, this, [this, i](bool checked) { m_moduleCommands->setIrPort(i, checked); });
        box->show();
        m_irPortBoxes[i] = box;

        auto *lamp = new PortLamp(m_irPortGroup);
        lamp->setObjectName(QStringLiteral("irPortLamp%1").arg(i));
        lamp->setGeometry(8, 17 * i + 21, 11, 11);
        lamp->show();
        m_irPortLamps[i] = lamp;
    }
}

void MainWindow::connectCommands()
{
    m_document->setRowChangeHandler([this] { onCurrentRowChanged(); });
    connect(m_document, &Document::opened, this, &MainWindow::showDocument);
    connect(m_document, &Document::waveformCleared, this, &MainWindow::clearWave);
    connect(m_document, &Document::saveProgress, this, &MainWindow::showSaveProgress);
    connect(&m_document->history(), &UndoHistory::changed, this, &MainWindow::updateActions);
    connect(m_documentCommands, &DocumentCommands::waveRedrawRequested, this, &MainWindow::drawWave);
    connect(m_documentCommands, &DocumentCommands::clipboardChanged, this, &MainWindow::updateActions);
    connect(m_documentCommands, &DocumentCommands::wavePreviewRequested, m_waveView, &WaveView::showPreview);
    connect(m_documentCommands, &DocumentCommands::wavePreviewEnded, m_waveView, &WaveView::endPreview);
    connect(m_table, &CodeTable::currentRowChanged, this, &MainWindow::showCurrentDecode);
    connect(m_table, &CodeTable::dataChanged, this, &MainWindow::showCurrentDecode);
    connect(m_table, &CodeTable::modelReset, this, &MainWindow::showCurrentDecode);
    connect(m_moduleCommands, &ModuleCommands::waveRedrawRequested, this, &MainWindow::drawWave);
    connect(m_moduleCommands, &ModuleCommands::waveScrollToStartRequested, m_waveView, &WaveView::scrollToStart);
    connect(m_moduleCommands, &ModuleCommands::capturingChanged, this, &MainWindow::setCapturing);
    connect(m_moduleCommands, &ModuleCommands::transferRunningChanged, this, [this](bool running) { setBusy(running); });
    connect(m_moduleCommands, &ModuleCommands::sendingChanged, this, &MainWindow::setLamps);
    connect(&link(), &SerialLink::unaskedInputChanged, this, &MainWindow::showUnaskedInput);
    connect(m_moduleCommands, &ModuleCommands::portLost, this, &MainWindow::showPortLost);
    // A port that a write opened again (an adapter back after it was lost)
    // shows in the port panel too.
    connect(&link(), &SerialLink::lineStep, this, [this](SerialLink::LineStep step) {
        if (step == SerialLink::LineStep::Open)
            setPortStatus(link().portName());
    });
}

// ---------------------------------------------------------------------------
// Running commands

void MainWindow::runCommand(const std::function<void()> &command, Needs needs)
{
    // While an exchange holds the line nothing may save, open or move rows
    // under it.
    if (m_moduleCommands->exchangeRunning())
        return;
    if (needs == Needs::Rows && !m_document->hasRows())
        return;
    guarded(command);
    closeIfExchangeStopped();
}

void MainWindow::learnOrStop()
{
    if (m_moduleCommands->isLearning()) {
        guarded([this] { m_moduleCommands->learnSelectedRows(); });
        return;
    }
    runCommand([this] { m_moduleCommands->learnSelectedRows(); });
}

void MainWindow::guarded(const std::function<void()> &command)
{
    runShowingErrors(m_prompt, command);
}

// The rules run whenever one of their inputs changes: the document-open
// flag, the clipboard, the undo history and the busy state.
void MainWindow::updateActions()
{
    const bool idle = !m_busy;
    const bool opened = m_document->hasBeenOpened();
    for (const char *name :
         {"renameKey", "compileImage", "downloadToModule", "uploadFromModule", "importCodes", "exportCodes"})
        action(QLatin1String(name))->setEnabled(opened && idle);
    action(QStringLiteral("learnSelectedRows"))->setEnabled(opened && (idle || m_learning));
    action(QStringLiteral("pasteRows"))->setEnabled(idle && m_documentCommands->clipboard().canPaste());
    for (const char *name : {"newDocument", "openDocument", "saveDocument", "copyRows", "selectAllRows", "deleteRow",
                             "insertRow", "showAbout", "stopModule", "goToRow", "newCodeFromProtocol"})
        action(QLatin1String(name))->setEnabled(idle);
    const UndoHistory &history = m_document->history();
    QAction *undo = action(QStringLiteral("undoChange"));
    undo->setText(stepCaption(QStringLiteral("Undo"), history.undoLabel()));
    undo->setEnabled(idle && history.canUndo());
    QAction *redo = action(QStringLiteral("redoChange"));
    redo->setText(stepCaption(QStringLiteral("Redo"), history.redoLabel()));
    redo->setEnabled(idle && history.canRedo());
}

// ---------------------------------------------------------------------------
// Documents

void MainWindow::showDocument(const QString &path)
{
    setModuleLabels();
    drawWave(true);
    m_grid->setIdColumnWidth();
    m_statusPanels[3]->setText(path);
    m_waveView->scrollToStart();
    m_grid->show();
    m_zoomInButton->setEnabled(true);
    m_zoomOutButton->setEnabled(true);
    updateActions();
}

void MainWindow::showSaveProgress(int row, int rowCount)
{
    if (row < 0) {
        m_saveProgressBar->hide();
        return;
    }
    m_saveProgressBar->setMaximum(rowCount);
    m_saveProgressBar->setValue(row);
    m_saveProgressBar->show();
}

void MainWindow::setModuleLabels()
{
    const ModuleInfo &info = m_document->moduleInfo();
    const QString colon = QStringLiteral("\uFF1A");
    m_moduleLabels[0]->setText(QStringLiteral("Type") + colon + info.type);
    m_moduleLabels[1]->setText(QStringLiteral("Manufactory") + colon + info.manufactory);
    m_moduleLabels[2]->setText(QStringLiteral("Module Name") + colon + info.moduleName);
    m_moduleLabels[3]->setText(QStringLiteral("Module ID") + colon + info.moduleId);
}

void MainWindow::showCurrentDecode()
{
    const bool hasRows = m_document->hasRows() && m_table->recNo() > 0;
    m_decodePanel->setText(hasRows ? IrDecoder::summary(IrBlock::fromField(m_table->irData())) : QString());
}

void MainWindow::onCurrentRowChanged()
{
    if (!leftButtonDown())
        m_grid->clearSelection();
    drawWave(true);
}

void MainWindow::showAbout()
{
    m_aboutDialog->exec();
}

// ---------------------------------------------------------------------------
// The module

void MainWindow::onLearnTimeChosen()
{
    m_moduleCommands->setLearnTime(m_learnTimeBox->findText(m_learnTimeBox->currentText(), Qt::MatchExactly) + 1);
}

void MainWindow::choosePort()
{
    if (const std::optional<QString> status = m_moduleCommands->choosePort(m_portBox->currentText()))
        setPortStatus(*status);
}

void MainWindow::setPortStatus(const QString &status)
{
    m_portStatus = status;
    showPortStatus();
}

void MainWindow::showUnaskedInput(bool arriving)
{
    m_unaskedInput = arriving;
    showPortStatus();
}

// An open port shows the device its name leads to: "COM1 (/dev/ttyUSB0)".
// A module that keeps sending unasked is told instead.
void MainWindow::showPortStatus()
{
    QString text = m_portStatus;
    if (m_unaskedInput)
        text = QStringLiteral("the module sends without being asked");
    else if (link().isOpen())
        text = QStringLiteral("%1 (%2)").arg(m_portStatus, link().devicePath());
    m_statusPanels[1]->setText(text);
}

void MainWindow::showPortLost()
{
    setPortStatus(QStringLiteral("No port"));
    setLamps(false);
}

void MainWindow::showSerialPorts()
{
    SerialPortsDialog dialog(this);
    dialog.setContents(SerialDevice::available(), link().locator());
    if (dialog.exec() == QDialog::Accepted)
        assignPorts(dialog.assignments());
}

void MainWindow::assignPorts(const PortAssignments &assignments)
{
    PortLocator &locator = link().locator();
    const QString chosen = m_portBox->currentText();
    const QString before = locator.devicePath(chosen);
    assignments.write(portAssignmentsPath());
    locator.setAssignments(assignments);
    if (PortLocator::comNumber(chosen) > 0 && locator.devicePath(chosen) != before)
        choosePort();
}

void MainWindow::setCapturing(bool capturing)
{
    m_learning = capturing;
    setBusy(capturing, m_learnButton);
    action(QStringLiteral("learnSelectedRows"))->setText(capturing ? QStringLiteral("Stop") : QStringLiteral("IR Learn"));
}

// Disables every control placed directly on the window (but except) and every
// command, so that no click or shortcut starts another command meanwhile.
void MainWindow::setBusy(bool busy, QWidget *except)
{
    m_busy = busy;
    const QList<QWidget *> controls = m_client->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget *control : controls) {
        if (control != except)
            control->setEnabled(!busy);
    }
    if (QToolBar *toolBar = findChild<QToolBar *>())
        toolBar->setEnabled(!busy);
    updateActions();
    if (except)
        except->setEnabled(true);
}

void MainWindow::setLamps(bool sending)
{
    for (int i = 0; i < 8; ++i)
        m_irPortLamps[i]->setColor(sending && m_irPortBoxes[i]->isChecked() ? PortLamp::Sending : PortLamp::Rest);
}

// ---------------------------------------------------------------------------
// Waveform

void MainWindow::drawWave(bool roll)
{
    const bool hasRows = m_document->hasRows();
    m_waveView->drawWave(roll, hasRows, hasRows ? m_table->irData() : QByteArray());
}

void MainWindow::clearWave()
{
    m_waveView->clearWave();
}

void MainWindow::zoomIn()
{
    m_waveView->traces().zoomIn();
    drawWave(false);
}

void MainWindow::zoomOut()
{
    m_waveView->traces().zoomOut();
    drawWave(false);
}

void MainWindow::normalSize()
{
    m_waveView->traces().normalSize();
    drawWave(false);
}

void MainWindow::showTime()
{
    m_waveView->traces().setShowTime(m_showTimeBox->isChecked());
    drawWave(false);
}

void MainWindow::saveWavePicture()
{
    const QString keyName = m_document->hasRows() ? m_table->fieldText(QStringLiteral("Function")) : QString();
    WavePicture::saveAs(m_prompt, m_waveView->traces(), keyName);
}

// ---------------------------------------------------------------------------
// Start-up, settings and closing

void MainWindow::start(const QString &documentPath, const StageDone &stageDone)
{
    const StageDone done = stageDone ? stageDone : [](const char *) {};
    // Per-user folders are made on the first start; a folder that cannot be
    // made shows when its files fail to write.
    m_locations.makeFolders();
    link().setBaudRate(SerialLink::NormalBaudrate);
    readSettings(done);
    createIrPortControls();
    done("port boxes");
    // A New that fails (the working file held by another running copy, a
    // program folder without write access) leaves the program without a
    // document; every command copes with that.
    guarded([this] { m_document->createNew(); });
    done("first New");
    if (!documentPath.isEmpty())
        guarded([&] { m_documentCommands->openFile(documentPath); });
}

void MainWindow::readSettings(const StageDone &done)
{
    QString refusal;
    const SettingsFile::Settings settings = SettingsFile::readSettings(settingsPath(), &refusal);
    noticeUnreadSettings(refusal);
    done("settings read");
    m_learnTimeBox->setCurrentIndex(settings.learnTime);
    onLearnTimeChosen();
    link().locator().setAssignments(PortAssignments::read(portAssignmentsPath()));
    m_portBox->setCurrentIndex(settings.comPort);
    choosePort();
    done("port opened");
    m_moduleIdBox->setCurrentIndex(settings.moduleId);
    m_moduleCommands->setModuleId(m_moduleIdBox->currentIndex());
    QRadioButton *format = settings.irFormat == 1 ? m_normalFormatButton : m_rc5Rc6FormatButton;
    format->setChecked(true);
    m_moduleCommands->setIrFormat(settings.irFormat == 1 ? 1 : 2);
    m_moduleCommands->setIrPortMask(settings.irPortMask);
    refusal.clear();
    applyNameEncoding(NameEncodingFile::read(namesPath(), &refusal));
    noticeUnreadSettings(refusal);
    done("settings applied");
}

void MainWindow::noticeUnreadSettings(const QString &refusal)
{
    if (!refusal.isEmpty())
        m_prompt.notice(AppTexts::applicationTitle(), refusal + QStringLiteral(" The default settings are used."));
}

void MainWindow::writeSettings()
{
    SettingsFile::Settings settings;
    // The item matching the text in use, which a typed text may differ from.
    settings.learnTime = m_moduleCommands->learnTime() - 1;
    settings.comPort = m_portBox->currentIndex();
    settings.moduleId = m_moduleIdBox->currentIndex();
    settings.irFormat = irFormat();
    settings.irPortMask = irPortMask();
    try {
        SettingsFile::writeSettings(settingsPath(), settings);
    } catch (const ZoqError &error) {
        // The close goes on: the choices of this run are lost, nothing else.
        m_prompt.notice(AppTexts::applicationTitle(),
                        QStringLiteral("The settings could not be saved to \"%1\":\n%2").arg(settingsPath(), error.message()));
    }
}

void MainWindow::applyNameEncoding(NameEncoding::Kind kind)
{
    m_table->setNameEncoding(NameEncoding(kind));
    action(QLatin1String(kind == NameEncoding::Kind::Gbk ? "nameEncodingGbk" : "nameEncodingLatin1"))->setChecked(true);
}

void MainWindow::chooseNameEncoding(NameEncoding::Kind kind)
{
    applyNameEncoding(kind);
    NameEncodingFile::write(namesPath(), kind);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_moduleCommands->exchangeRunning()) {
        event->ignore();
        askToStopExchange();
        return;
    }
    bool accept = false;
    guarded([&] { accept = m_document->confirmDiscard(); });
    if (!accept) {
        event->ignore();
        return;
    }
    writeSettings();
    event->accept();
}

// A close asked for while an exchange holds the line. The question does not
// hold up the exchange's wait, so a slow answer cannot make it time out. Yes
// stops the exchange as its own Stop or Cancel does; the close itself runs
// once the exchange has ended (see runCommand). No leaves it running.
void MainWindow::askToStopExchange()
{
    if (m_closeQuestionOpen || m_closeAfterExchange)
        return;
    m_closeQuestionOpen = true;
    m_prompt.askYesNoLater(AppTexts::mainCaption(),
                           QStringLiteral("A transfer with the module is running. Stop it and close?"),
                           [window = QPointer<MainWindow>(this)](bool stop) {
                               if (window.isNull())
                                   return;
                               window->m_closeQuestionOpen = false;
                               if (stop)
                                   window->stopExchangeAndClose();
                           });
}

void MainWindow::stopExchangeAndClose()
{
    if (!m_moduleCommands->exchangeRunning()) {
        close();
        return;
    }
    m_closeAfterExchange = true;
    m_moduleCommands->stopExchange();
}

void MainWindow::closeIfExchangeStopped()
{
    if (m_closeAfterExchange && !m_moduleCommands->exchangeRunning()) {
        m_closeAfterExchange = false;
        QTimer::singleShot(0, this, [this] { close(); });
    }
}
