#include "app/TForm1.h"

#include "app/AnchoredPlacement.h"
#include "app/AppTexts.h"
#include "app/ErrorHandler.h"
#include "app/FileNames.h"
#include "app/NameEncodingFile.h"
#include "app/PortLamp.h"
#include "app/Prompt.h"
#include "app/RightButtonFilter.h"
#include "app/ToolBarArt.h"
#include "app/SettingsFile.h"
#include "app/ZoqError.h"
#include "device/LearnRun.h"
#include "device/SendExchange.h"
#include "device/SerialLink.h"
#include "device/TfmProgress.h"
#include "dialogs/TfmAbout.h"
#include "dialogs/TfmFuncEdit.h"
#include "dialogs/TfmGoTo.h"
#include "dialogs/TfmRemark.h"
#include "document/CodeGrid.h"
#include "document/DerivePostedRow.h"
#include "document/DocumentStore.h"
#include "document/RowClipboard.h"
#include "document/RowMoves.h"
#include "document/RowName.h"
#include "document/WorkingFileLock.h"
#include "image/CompiledImage.h"
#include "image/ImageSlots.h"
#include "irsignal/TfmIRData.h"
#include "irsignal/WaveView.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QScopeGuard>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int ClientWidth = 758;
constexpr int ClientHeight = 626;
constexpr int ToolBarHeight = 57;
constexpr int StatusBarHeight = 19;

using A = AnchoredPlacement;

QString mainCaption()
{
    return AppTexts::mainCaption();
}

// "宋体" 12 pixels high, or the closest font the system has.
QFont windowFont()
{
    QFont font;
    const QStringList families = QFontDatabase::families();
    for (const QString &family : {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("DejaVu Sans")}) {
        if (families.contains(family)) {
            font.setFamily(family);
            break;
        }
    }
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

} // namespace

TForm1::TForm1(Prompt &prompt, const QString &programDir, QWidget *parent)
    : QMainWindow(parent)
    , m_prompt(prompt)
    , m_programDir(programDir)
    , m_workingLock(std::make_unique<WorkingFileLock>())
    , ADOQuery1(new CodeTable(this))
    , m_link(std::make_unique<SerialLink>(prompt))
    , m_clipboard(std::make_unique<RowClipboard>())
    , m_learnRun(std::make_unique<LearnRun>(*m_link, prompt, static_cast<LearnHost &>(*this)))
    , m_send(std::make_unique<SendExchange>(*m_link, prompt))
{
    ADOQuery1->setObjectName(QStringLiteral("ADOQuery1"));
    ADOQuery1->setAfterPost([this] { ADOQuery1AfterPost(); });
    m_link->setPortDirectory(programDir);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(mainCaption());
    setWindowIcon(ToolBarArt::icon(ToolBarArt::Picture::AppIcon));
    setFont(windowFont());
    resize(ClientWidth, ClientHeight);
    setMinimumSize(575 - 16, 596 - 39); // the smallest window, less a frame's borders

    buildActions();
    buildToolBar();
    buildControls();
    buildStatusBar();
    createDialogs();
    new RightButtonFilter(this);
    updateActions();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TForm1::~TForm1() = default;

QString TForm1::workingPath() const
{
    return m_programDir + QStringLiteral("/Temp.~tmp");
}

QString TForm1::settingsPath() const
{
    return m_programDir + QStringLiteral("/ZOQ.ini");
}

QString TForm1::namesPath() const
{
    return NameEncodingFile::path(m_programDir);
}

bool TForm1::leftButtonDown() const
{
    if (m_leftButtonDown)
        return m_leftButtonDown();
    return QGuiApplication::mouseButtons().testFlag(Qt::LeftButton);
}

QAction *TForm1::action(const QString &name) const
{
    return findChild<QAction *>(name);
}

QString TForm1::statusText(int panel) const
{
    return m_statusPanels[panel]->text();
}

QAction *TForm1::addAction(const QString &name, const QString &caption, const QKeySequence &shortcut,
                           void (TForm1::*handler)(), Needs needs)
{
    auto *action = new QAction(caption, this);
    action->setIconText(caption); // tool buttons show the caption as it stands, "..." included
    action->setObjectName(name);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, handler, needs] { runCommand(handler, needs); });
    QMainWindow::addAction(action);
    return action;
}

void TForm1::buildActions()
{
    using P = ToolBarArt::Picture;
    addAction(QStringLiteral("New"), QStringLiteral("New"), QKeySequence(Qt::CTRL | Qt::Key_N),
              &TForm1::NewExecute, Needs::Nothing)
        ->setIcon(ToolBarArt::icon(P::New));
    addAction(QStringLiteral("Open"), QStringLiteral("Open..."), QKeySequence(Qt::CTRL | Qt::Key_O),
              &TForm1::OpenExecute, Needs::Nothing)
        ->setIcon(ToolBarArt::icon(P::Open));
    addAction(QStringLiteral("Save"), QStringLiteral("Save"), QKeySequence(Qt::CTRL | Qt::Key_S), &TForm1::SaveExecute)
        ->setIcon(ToolBarArt::icon(P::Save));
    addAction(QStringLiteral("SaveAs"), QStringLiteral("Compile"), {}, &TForm1::SaveAsExecute)
        ->setIcon(ToolBarArt::icon(P::Compile));
    addAction(QStringLiteral("Copy"), QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C), &TForm1::CopyExecute);
    addAction(QStringLiteral("Paste"), QStringLiteral("Paste"), QKeySequence(Qt::CTRL | Qt::Key_V), &TForm1::PasteExecute);
    addAction(QStringLiteral("SelectAll"), QStringLiteral("Select All"), QKeySequence(Qt::CTRL | Qt::Key_A),
              &TForm1::SelectAllExecute);
    addAction(QStringLiteral("Upload"), QStringLiteral("Up Load"), {}, &TForm1::UploadExecute)
        ->setIcon(ToolBarArt::icon(P::Upload));
    addAction(QStringLiteral("DelFunctions"), QStringLiteral("Delete"), {}, &TForm1::DelFunctionsExecute);
    addAction(QStringLiteral("InsertFunctions"), QStringLiteral("Insert"), QKeySequence(Qt::Key_Insert),
              &TForm1::InsertFunctionsExecute);
    addAction(QStringLiteral("IRLearn"), QStringLiteral("IR Learn"), {}, &TForm1::IRLearnExecute);
    addAction(QStringLiteral("About"), QStringLiteral("About..."), {}, &TForm1::AboutExecute, Needs::Nothing)
        ->setIcon(ToolBarArt::icon(P::About));
    addAction(QStringLiteral("Download"), QStringLiteral("Download"), {}, &TForm1::DownloadExecute)
        ->setIcon(ToolBarArt::icon(P::Download));
    addAction(QStringLiteral("IRStop"), QStringLiteral("IR Stop"), {}, &TForm1::IRStopExecute, Needs::Nothing);
    addAction(QStringLiteral("EditFunc"), QStringLiteral("Edit..."), {}, &TForm1::EditFuncExecute);
    addAction(QStringLiteral("Goto"), QStringLiteral("Goto"), QKeySequence(Qt::CTRL | Qt::Key_G), &TForm1::GotoExecute);
}

void TForm1::buildToolBar()
{
    auto *toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setIconSize(QSize(32, 32));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolBar->setFixedHeight(ToolBarHeight);
    toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    const QStringList order = {QStringLiteral("New"), QStringLiteral("Open"), QStringLiteral("Save"),
                               QStringLiteral("SaveAs"), QString(), QStringLiteral("Upload"),
                               QStringLiteral("Download"), QString(), QStringLiteral("About")};
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

void TForm1::buildControls()
{
    m_client = new QWidget(this);
    setCentralWidget(m_client);
    const int top = ToolBarHeight; // design positions count from the top of the client area
    m_client->resize(ClientWidth, ClientHeight - ToolBarHeight - StatusBarHeight);
    m_placement = new AnchoredPlacement(m_client, m_client->size());
    const auto at = [top](int left, int y, int width, int height) { return QRect(left, y - top, width, height); };

    auto *panel1 = new QFrame(m_client);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1 = panel1;
    // The module info labels lie below the panel's 8 pixels and never show.
    for (int i = 0; i < 4; ++i)
        m_moduleLabels[i] = makeLabel(QString(), Panel1, QPoint(8 + 150 * i, 12));
    m_placement->place(Panel1, QRect(0, 0, ClientWidth, 8), A::Left | A::Top | A::Right);

    Panel2 = new QWidget(m_client);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    buildGrid();
    m_placement->place(Panel2, at(0, 72, 545, 409), A::Left | A::Top | A::Right | A::Bottom);

    GroupBox2 = new QGroupBox(QStringLiteral("IR Port"), m_client);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    m_placement->place(GroupBox2, at(551, 72, 91, 161), A::Top | A::Right);

    GroupBox1 = new QGroupBox(QStringLiteral("Learn"), m_client);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    makeLabel(QStringLiteral("Time:"), GroupBox1, QPoint(8, 30));
    ComboBox1 = new QComboBox(GroupBox1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->addItems({QStringLiteral("1s"), QStringLiteral("2s"), QStringLiteral("3s")});
    ComboBox1->setGeometry(40, 24, 47, 21);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    connect(ComboBox1, &QComboBox::editTextChanged, this, [this] { ComboBox1Change(); });
    makeLabel(QStringLiteral("IR Format:"), GroupBox1, QPoint(8, 56));
    RadioButton1 = new QRadioButton(QStringLiteral("Normal"), GroupBox1);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->move(8, 72);
    RadioButton1->adjustSize();
    RadioButton2 = new QRadioButton(QStringLiteral("RC5/RC6"), GroupBox1);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->move(8, 88);
    RadioButton2->adjustSize();
    connect(RadioButton1, &QRadioButton::clicked, this, [this] { RadioButton1Click(); });
    connect(RadioButton2, &QRadioButton::clicked, this, [this] { RadioButton2Click(); });
    m_placement->place(GroupBox1, at(655, 72, 91, 161), A::Top | A::Right);

    Button1 = new QPushButton(m_client);
    Button1->setObjectName(QStringLiteral("Button1"));
    QAction *learn = action(QStringLiteral("IRLearn"));
    Button1->setText(learn->text());
    connect(Button1, &QPushButton::clicked, learn, &QAction::trigger);
    connect(learn, &QAction::changed, Button1, [this, learn] {
        Button1->setText(learn->text());
        Button1->setEnabled(learn->isEnabled());
    });
    m_placement->place(Button1, at(665, 192, 67, 25), A::Top | A::Right);

    auto *panel3 = new QFrame(m_client);
    panel3->setObjectName(QStringLiteral("Panel3"));
    panel3->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel3->setLineWidth(2);
    Panel3 = panel3;
    makeLabel(QStringLiteral("COM:"), Panel3, QPoint(9, 15));
    ComboBox2 = new QComboBox(Panel3);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    for (int i = 1; i <= 8; ++i)
        ComboBox2->addItem(QStringLiteral("COM%1").arg(i));
    ComboBox2->addItem(QStringLiteral("Close"));
    ComboBox2->setGeometry(40, 10, 70, 22);
    connect(ComboBox2, &QComboBox::activated, this, [this] { guarded([this] { ComboBox2Change(); }); });
    makeLabel(QStringLiteral("ID:"), Panel3, QPoint(135, 15));
    ComboBox3 = new QComboBox(Panel3);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    for (int i = 0; i < 16; ++i)
        ComboBox3->addItem(QString::number(i, 16).toUpper());
    ComboBox3->setMaxVisibleItems(16);
    ComboBox3->setGeometry(152, 10, 45, 22);
    connect(ComboBox3, &QComboBox::currentIndexChanged, this, [this] { ComboBox3Change(); });
    m_placement->place(Panel3, at(550, 248, 201, 41), A::Top | A::Right);

    ProgressBar1 = new QProgressBar(m_client);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 512);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();
    m_placement->place(ProgressBar1, at(552, 297, 201, 20), A::Right | A::Bottom);

    using P = ToolBarArt::Picture;
    const auto waveButton = [this, &at](QToolButton *&button, const char *name, const QString &hint, P picture,
                                        int left, void (TForm1::*handler)()) {
        button = new QToolButton(m_client);
        button->setObjectName(QLatin1String(name));
        button->setToolTip(hint);
        button->setIcon(ToolBarArt::icon(picture));
        button->setIconSize(QSize(20, 20));
        connect(button, &QToolButton::clicked, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
        m_placement->place(button, at(left, 454, 28, 26), A::Right | A::Bottom);
    };
    waveButton(BitBtn1, "BitBtn1", QStringLiteral("Zoom in"), P::ZoomIn, 553, &TForm1::BitBtn1Click);
    waveButton(BitBtn3, "BitBtn3", QStringLiteral("Normal size"), P::NormalSize, 587, &TForm1::BitBtn3Click);
    waveButton(BitBtn2, "BitBtn2", QStringLiteral("Zoom out"), P::ZoomOut, 617, &TForm1::BitBtn2Click);
    waveButton(BitBtn4, "BitBtn4", QStringLiteral("Clear wave"), P::ClearWave, 651, &TForm1::BitBtn4Click);

    CheckBox9 = new QCheckBox(QStringLiteral("Show time"), m_client);
    CheckBox9->setObjectName(QStringLiteral("CheckBox9"));
    connect(CheckBox9, &QCheckBox::clicked, this, [this] { guarded([this] { CheckBox9Click(); }); });
    CheckBox9->adjustSize();
    m_placement->place(CheckBox9, at(ClientWidth - 2 - CheckBox9->width(), 456, CheckBox9->width(), 17),
                       A::Right | A::Bottom);

    buildWaveView();
    m_placement->place(ScrollBox1, at(0, 486, 756, 121), A::Left | A::Right | A::Bottom);
}

void TForm1::buildStatusBar()
{
    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    const std::array<int, 4> widths = {35, 100, 60, 50};
    const std::array<QString, 4> texts = {QStringLiteral(" COM"), QString(), QStringLiteral("MBD File"), QString()};
    for (int i = 0; i < 4; ++i) {
        m_statusPanels[i] = new QLabel(texts[i], bar);
        m_statusPanels[i]->setMinimumWidth(widths[i]);
        m_statusPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(m_statusPanels[i], i == 3 ? 1 : 0);
    }
    setStatusBar(bar);
}

void TForm1::createPortControls()
{
    for (int i = 0; i < 8; ++i) {
        auto *box = new QCheckBox(QStringLiteral("Port%1").arg(i), GroupBox2);
        box->setObjectName(QStringLiteral("Port%1").arg(i));
        box->setGeometry(30, 17 * i + 18, 56, 17);
        box->setChecked(m_irPortMask & (1 << i));
        connect(box, &QCheckBox::clicked, this, [this, i] { ChBoxClick(i); });
        box->show();
        m_portBoxes[i] = box;

        auto *lamp = new PortLamp(GroupBox2);
        lamp->setObjectName(QStringLiteral("Lamp%1").arg(i));
        lamp->setGeometry(8, 17 * i + 21, 11, 11);
        lamp->show();
        m_portLamps[i] = lamp;
    }
}

void TForm1::ChBoxClick(int port)
{
    if (m_portBoxes[port]->isChecked())
        m_irPortMask |= (1 << port);
    else
        m_irPortMask &= ~(1 << port);
}

void TForm1::setLamps(bool sending)
{
    for (int i = 0; i < 8; ++i)
        m_portLamps[i]->setColor(sending && m_portBoxes[i]->isChecked() ? PortLamp::Sending : PortLamp::Rest);
}

void TForm1::setModuleLabels()
{
    const QString colon = QStringLiteral("\uFF1A");
    m_moduleLabels[0]->setText(QStringLiteral("Type") + colon + m_moduleInfo.type);
    m_moduleLabels[1]->setText(QStringLiteral("Manufactory") + colon + m_moduleInfo.manufactory);
    m_moduleLabels[2]->setText(QStringLiteral("Module Name") + colon + m_moduleInfo.moduleName);
    m_moduleLabels[3]->setText(QStringLiteral("Module ID") + colon + m_moduleInfo.moduleId);
}

bool TForm1::hasOpenTable() const
{
    return ADOQuery1->isOpen() && ADOQuery1->recordCount() > 0;
}

void TForm1::runCommand(void (TForm1::*handler)(), Needs needs)
{
    // While an exchange holds the line nothing may save, open or move rows
    // under it; only the learn button, which is then the Stop button, acts.
    const bool stopsLearning = handler == &TForm1::IRLearnExecute && m_learnRun->isLearning();
    if (exchangeRunning() && !stopsLearning)
        return;
    if (needs == Needs::OpenTable && !hasOpenTable())
        return;
    guarded([this, handler] { (this->*handler)(); });
    if (m_closeAfterExchange && !exchangeRunning()) {
        m_closeAfterExchange = false;
        QTimer::singleShot(0, this, [this] { close(); });
    }
}

void TForm1::guarded(const std::function<void()> &command)
{
    runShowingErrors(m_prompt, command);
}

void TForm1::showError(const QString &text)
{
    m_prompt.notice(AppTexts::applicationTitle(), text);
}

// ---------------------------------------------------------------------------
// Documents

bool TForm1::savePrompt()
{
    if (!m_modified)
        return true;
    switch (m_prompt.askYesNoCancel(mainCaption(), QStringLiteral("Save changes to current file?"))) {
    case Prompt::Answer::Cancel:
        return false;
    case Prompt::Answer::Yes:
        SaveExecute();
        return !m_modified;
    case Prompt::Answer::No:
        break;
    }
    return true;
}

void TForm1::NewExecute()
{
    newDocument();
}

bool TForm1::newDocument()
{
    if (!savePrompt())
        return false;
    closeTable();
    m_workingLock->acquire(workingPath());
    DocumentStore::writeTemplate(workingPath());
    OpenDocument(workingPath());
    ClearWave();
    return true;
}

// Changes not saved are dropped with the table.
void TForm1::closeTable()
{
    ADOQuery1->setAfterScroll({});
    ADOQuery1->close();
    m_modified = false;
}

void TForm1::OpenDocument(const QString &path)
{
    m_documentPath = path;
    closeTable();
    if (path != workingPath())
        m_workingLock->release();
    ADOQuery1->open(path);
    m_moduleInfo = ADOQuery1->moduleInfo();
    setModuleLabels();
    ADOQuery1->setAfterScroll([this] { ADOQuery1AfterScroll(); });
    DrawWave(true);
    m_documentOpen = true;
    m_modified = false;
    DBGridEh1->setIdColumnWidth();
    m_statusPanels[3]->setText(path);
    ScrollBox1->scrollToStart();
    DBGridEh1->show();
    BitBtn1->setEnabled(true);
    BitBtn2->setEnabled(true);
    updateActions();
}

void TForm1::OpenExecute()
{
    if (!savePrompt())
        return;
    const QString path = m_prompt.openFileName(QStringLiteral("*.zoq|*.zoq|*.bin|*.bin"));
    if (path.isEmpty())
        return;
    if (fileExtension(path).compare(QLatin1String(".bin"), Qt::CaseInsensitive) == 0)
        importImage(path);
    else
        OpenDocument(path);
}

void TForm1::importImage(const QString &path)
{
    // The whole image is read and checked before the open document is replaced.
    const QByteArray image = readImageFile(path);
    if (!newDocument())
        return;
    ::importImage(*ADOQuery1, image);
}

void TForm1::SaveExecute()
{
    const QString chosen = m_prompt.saveFileName(QStringLiteral("*.zoq|*.zoq"), m_lastSaveName);
    if (chosen.isEmpty())
        return;
    m_lastSaveName = chosen;
    const QString target = withExtension(chosen, QStringLiteral(".zoq"));
    if (target == m_documentPath) {
        ADOQuery1->updateBatch();
        m_modified = false;
        return;
    }
    if (QFileInfo::exists(target) && !m_prompt.askYesNo(mainCaption(), QStringLiteral("File already exist.Replace?")))
        return;
    ClearWave();
    {
        const CodeTable::Hook afterScroll = ADOQuery1->afterScroll();
        ADOQuery1->disableControls();
        ADOQuery1->setAfterScroll({});
        ProgressBar1->setMaximum(ADOQuery1->recordCount());
        ProgressBar1->setValue(0);
        ProgressBar1->show();
        const auto restore = qScopeGuard([&] {
            ADOQuery1->setAfterScroll(afterScroll);
            ADOQuery1->enableControls();
            ProgressBar1->hide();
        });
        DocumentStore::saveAs(*ADOQuery1, target, [this](int row) { ProgressBar1->setValue(row); });
    }
    OpenDocument(target);
}

void TForm1::SaveAsExecute()
{
    const QString chosen = m_prompt.saveFileName(QStringLiteral("*.bin|*.bin"), m_lastSaveName);
    if (chosen.isEmpty())
        return;
    m_lastSaveName = chosen;
    const QString target = withExtension(chosen, QStringLiteral(".bin"));
    if (QFileInfo::exists(target) && !m_prompt.askYesNo(mainCaption(), QStringLiteral("File already exist.Replace?")))
        return;
    compileImage(*ADOQuery1, target);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (exchangeRunning()) {
        event->ignore();
        askToStopExchange();
        return;
    }
    bool accept = false;
    guarded([&] { accept = savePrompt(); });
    if (!accept) {
        event->ignore();
        return;
    }
    writeSettings();
    event->accept();
}

bool TForm1::exchangeRunning() const
{
    return m_link->isBusy() || m_gridSendBusy;
}

// A close asked for while an exchange holds the line. The question does not
// hold up the exchange's wait, so a slow answer cannot make it time out. Yes
// stops the exchange as its own Stop or Cancel does; the close itself runs
// once the exchange has ended (see runCommand). No leaves it running.
void TForm1::askToStopExchange()
{
    if (m_closeQuestionOpen || m_closeAfterExchange)
        return;
    m_closeQuestionOpen = true;
    m_prompt.askYesNoLater(mainCaption(), QStringLiteral("A transfer with the module is running. Stop it and close?"),
                           [window = QPointer<TForm1>(this)](bool stop) {
                               if (window.isNull())
                                   return;
                               window->m_closeQuestionOpen = false;
                               if (stop)
                                   window->stopExchangeAndClose();
                           });
}

void TForm1::stopExchangeAndClose()
{
    if (!exchangeRunning()) {
        close();
        return;
    }
    m_closeAfterExchange = true;
    if (m_learnRun->isLearning())
        IRLearnExecute(); // the Stop button
    if (m_fmProgress->isVisible())
        m_fmProgress->CancelClick();
    // A held send and a transfer that has not shown its dialog yet look at
    // m_closeAfterExchange themselves.
}

// ---------------------------------------------------------------------------
// Code table handlers

void TForm1::ADOQuery1AfterPost()
{
    m_modified = true;
    derivePostedRow(*ADOQuery1);
}

void TForm1::ADOQuery1AfterScroll()
{
    if (!leftButtonDown())
        DBGridEh1->clearSelection();
    DrawWave(true);
}

void TForm1::updateActions()
{
    const bool idle = !m_commandsBlocked;
    for (const char *name : {"EditFunc", "IRLearn", "SaveAs", "Download", "Upload"})
        action(QLatin1String(name))->setEnabled(m_documentOpen && (idle || (m_learning && QLatin1String(name) == QLatin1String("IRLearn"))));
    action(QStringLiteral("Paste"))->setEnabled(idle && m_clipboard->canPaste());
    for (const char *name : {"New", "Open", "Save", "Copy", "SelectAll", "DelFunctions", "InsertFunctions", "About",
                             "IRStop", "Goto"})
        action(QLatin1String(name))->setEnabled(idle);
}

// ---------------------------------------------------------------------------
// Row commands and the row clipboard

void TForm1::InsertFunctionsExecute()
{
    const int cur = ADOQuery1->recNo();
    if (!confirmPushOut(pushedOutRow(*ADOQuery1, cur)))
        return;
    insertEmptyRow(*ADOQuery1, cur);
    m_modified = true;
    DrawWave(true);
}

// Insert loses the content of the last row: asked first unless it is empty.
bool TForm1::confirmPushOut(int row)
{
    if (isEmptyRow(*ADOQuery1, row))
        return true;
    const QString name = ADOQuery1->valueAt(row - 1, ADOQuery1->fieldIndex(QStringLiteral("Function"))).toString();
    const QString what = name.isEmpty() ? QStringLiteral("Row %1").arg(row)
                                        : QStringLiteral("Row %1 '%2'").arg(QString::number(row), name);
    return m_prompt.askYesNo(mainCaption(), what + QStringLiteral(" will be pushed out. Insert anyway?"));
}

void TForm1::DelFunctionsExecute()
{
    if (!m_prompt.askYesNo(mainCaption(), QStringLiteral("Really delete IR data in selection items?")))
        return;
    deleteRow(*ADOQuery1, ADOQuery1->recNo());
    m_modified = true;
    DrawWave(true);
}

void TForm1::EditFuncExecute()
{
    if (!m_fmFuncEdit->execWith(currentFunction()))
        return;
    QString refusal;
    if (!RowName::renameCurrentRow(*ADOQuery1, m_fmFuncEdit->text(), &refusal))
        showError(refusal);
}

void TForm1::EditRemark()
{
    if (!m_fmRemark->execWith(ADOQuery1->fieldText(QStringLiteral("Remark"))))
        return;
    ADOQuery1->edit();
    ADOQuery1->setField(QStringLiteral("Remark"), m_fmRemark->text());
    ADOQuery1->post();
}

void TForm1::GotoExecute()
{
    if (!m_fmGoTo->execGoTo())
        return;
    const QString text = m_fmGoTo->text();
    if (m_fmGoTo->choice() == TfmGoTo::Choice::Function) {
        if (!ADOQuery1->locateFunction(text))
            m_prompt.notice(AppTexts::applicationTitle(), QStringLiteral("Not found ") + text + QStringLiteral("!"));
        return;
    }
    bool ok = false;
    int row = text.trimmed().toInt(&ok);
    if (!ok)
        throw ZoqError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    ADOQuery1->setRecNo(qMax(row, 1));
}

void TForm1::CopyExecute()
{
    if (DBGridEh1->selectedRows().isEmpty())
        DBGridEh1->addCurrentRowToSelection();
    m_clipboard->copyRows(*ADOQuery1, DBGridEh1->selectedRows());
    updateActions();
}

void TForm1::PasteExecute()
{
    if (!m_clipboard->canPaste())
        return;
    DBGridEh1->clearSelection();
    for (int row : m_clipboard->pasteRows(*ADOQuery1))
        DBGridEh1->addRowToSelection(row);
}

void TForm1::SelectAllExecute()
{
    const CodeTable::Hook afterScroll = ADOQuery1->afterScroll();
    ADOQuery1->setAfterScroll({});
    ADOQuery1->disableControls();
    const auto restore = qScopeGuard([&] {
        ADOQuery1->enableControls();
        ADOQuery1->setAfterScroll(afterScroll);
    });
    DBGridEh1->selectAllRows();
    if (ADOQuery1->recordCount() > 0)
        ADOQuery1->setRecNo(ADOQuery1->recordCount());
}

void TForm1::editIrData()
{
    m_fmIRData->loadBlock(ADOQuery1->irData());
    m_fmIRData->exec();
    DrawWave(false);
}

void TForm1::AboutExecute()
{
    m_fmAbout->exec();
}

// ---------------------------------------------------------------------------
// Serial port and module parameters

void TForm1::ComboBox1Change()
{
    m_learnTime = ComboBox1->findText(ComboBox1->currentText(), Qt::MatchExactly) + 1;
}

void TForm1::ComboBox2Change()
{
    if (const std::optional<QString> status = m_link->ComboBox2Change(ComboBox2->currentText()))
        m_statusPanels[1]->setText(*status);
}

void TForm1::ComboBox3Change()
{
    m_moduleId = quint8(ComboBox3->currentIndex());
}

void TForm1::RadioButton1Click()
{
    m_irFormat = 1;
}

void TForm1::RadioButton2Click()
{
    m_irFormat = 2;
}

// ---------------------------------------------------------------------------
// Learn, send and stop

void TForm1::IRLearnExecute()
{
    m_learnRun->IRLearnExecute({quint8(m_moduleId), quint8(m_learnTime), quint8(m_irFormat)});
}

bool TForm1::IRSendRow()
{
    return m_send->IRSendRow(ADOQuery1->irData(), quint8(m_moduleId), quint8(m_irPortMask));
}

void TForm1::IRStopExecute()
{
    m_send->IRStopExecute(quint8(m_moduleId));
}

void TForm1::sendStripPressed()
{
    if (m_gridSendBusy)
        return;
    m_gridSendBusy = true;
    const auto idle = qScopeGuard([this] { m_gridSendBusy = false; });
    QCoreApplication::processEvents();
    if (m_closeAfterExchange || !IRSendRow())
        return;
    setLamps(true);
    // The hold ends on the real button state, polled while events run, or
    // when the window is to close.
    while (!m_closeAfterExchange && leftButtonDown() && SerialLink::pause(ButtonPollMs)) {
    }
    SerialLink::pause(50);
    IRStopExecute();
    char reply[SendExchange::StopReplySize];
    (void)m_link->ReadComm(reply, SendExchange::StopReplySize, SendExchange::StopReplySeconds);
    setLamps(false);
}

void TForm1::detachAfterScroll()
{
    m_savedAfterScroll = ADOQuery1->afterScroll();
    ADOQuery1->setAfterScroll({});
}

void TForm1::attachAfterScroll()
{
    ADOQuery1->setAfterScroll(m_savedAfterScroll);
}

QList<int> TForm1::selectedRows()
{
    if (DBGridEh1->selectedRows().isEmpty())
        DBGridEh1->addCurrentRowToSelection();
    return DBGridEh1->selectedRows();
}

void TForm1::makeCurrent(int row)
{
    ADOQuery1->setRecNo(row);
}

QByteArray TForm1::currentNameBytes()
{
    QString refusal;
    const std::optional<QByteArray> bytes = RowName::bytesFor(*ADOQuery1, currentFunction(), &refusal);
    if (!bytes)
        throw ZoqError(refusal);
    return *bytes;
}

void TForm1::storeBlock(const TIRDataBlock &block)
{
    ADOQuery1->edit();
    ADOQuery1->setField(QStringLiteral("IR Data"), block.toByteArray());
    ADOQuery1->post();
}

void TForm1::drawWave(bool roll)
{
    DrawWave(roll);
}

void TForm1::scrollWaveToStart()
{
    ScrollBox1->scrollToStart();
}

void TForm1::setCapturing(bool capturing)
{
    m_learning = capturing;
    setBusy(capturing, Button1);
    action(QStringLiteral("IRLearn"))->setText(capturing ? QStringLiteral("Stop") : QStringLiteral("IR Learn"));
}

// Disables every control placed directly on the window (but except) and every
// command, so that no click or shortcut starts another command meanwhile.
void TForm1::setBusy(bool busy, QWidget *except)
{
    m_commandsBlocked = busy;
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

// ---------------------------------------------------------------------------
// EEPROM download and upload

EepromTransfer::Callbacks TForm1::transferCallbacks()
{
    EepromTransfer::Callbacks callbacks;
    callbacks.slotSource = [this](int slot) {
        goToSlotRow(slot);
        return slotFromField(ADOQuery1->irData());
    };
    callbacks.slotSink = [this](int slot, const QByteArray &block) {
        goToSlotRow(slot);
        storeSlot(*ADOQuery1, block);
    };
    callbacks.progress = [this](int slot) { m_fmProgress->setPosition(slot); };
    callbacks.stillRunning = [this] { return m_fmProgress->bProgress() && !m_closeAfterExchange; };
    callbacks.begin = [this](const QString &label) {
        setBusy(true);
        ADOQuery1->disableControls();
        detachAfterScroll();
        m_fmProgress->setOperation(label);
        m_fmProgress->show();
        ADOQuery1->first();
    };
    callbacks.end = [this] {
        attachAfterScroll();
        ADOQuery1->first();
        ADOQuery1->enableControls();
        m_fmProgress->hide();
        setBusy(false);
    };
    return callbacks;
}

// Slot j belongs to row j + 1; a table with fewer rows gives its last row
// to every slot beyond it.
void TForm1::goToSlotRow(int slot)
{
    ADOQuery1->setRecNo(qMin(slot + 1, ADOQuery1->recordCount()));
}

void TForm1::DownloadExecute()
{
    (void)EepromTransfer::DownloadExecute(*m_link, m_prompt, quint8(m_moduleId), transferCallbacks());
}

void TForm1::UploadExecute()
{
    (void)EepromTransfer::UploadExecute(*m_link, m_prompt, quint8(m_moduleId), transferCallbacks());
}

// ---------------------------------------------------------------------------
// Start-up, settings and dialogs

void TForm1::FormCreate()
{
    m_link->setIBaudrate(SerialLink::NormalBaudrate);
    readSettings();
    createPortControls();
    // A New that fails (the working file held by another running copy, a
    // program folder without write access) leaves the program without a
    // document; every command copes with that.
    guarded([this] { NewExecute(); });
}

void TForm1::readSettings()
{
    const SettingsFile::Settings settings = SettingsFile::readSettings(settingsPath());
    ComboBox1->setCurrentIndex(settings.learnTime);
    ComboBox1Change();
    ComboBox2->setCurrentIndex(settings.comPort);
    ComboBox2Change();
    ComboBox3->setCurrentIndex(settings.moduleId);
    ComboBox3Change();
    if (settings.irFormat == 1) {
        RadioButton1->setChecked(true);
        RadioButton1Click();
    } else {
        RadioButton2->setChecked(true);
        RadioButton2Click();
    }
    m_irPortMask = settings.irPortMask & 0xFF;
    applyNameEncoding(NameEncodingFile::read(namesPath()));
}

bool TForm1::writeSettings()
{
    SettingsFile::Settings settings;
    // The item matching the text in use, which a typed text may differ from.
    settings.learnTime = m_learnTime - 1;
    settings.comPort = ComboBox2->currentIndex();
    settings.moduleId = ComboBox3->currentIndex();
    settings.irFormat = m_irFormat;
    settings.irPortMask = m_irPortMask;
    try {
        SettingsFile::writeSettings(settingsPath(), settings);
        return true;
    } catch (const ZoqError &error) {
        // The close goes on: the choices of this run are lost, nothing else.
        showError(QStringLiteral("The settings could not be saved to \"%1\":\n%2").arg(settingsPath(), error.message()));
        return false;
    }
}

void TForm1::createDialogs()
{
    m_fmFuncEdit = new TfmFuncEdit(this);
    m_fmIRData = new TfmIRData(m_prompt, static_cast<IrDataHost &>(*this), this);
    m_fmRemark = new TfmRemark(this);
    m_fmAbout = new TfmAbout(this);
    m_fmGoTo = new TfmGoTo(this);
    m_fmProgress = new TfmProgress(this);
}

// ---------------------------------------------------------------------------
// Waveform view

void TForm1::buildWaveView()
{
    ScrollBox1 = new WaveView(m_client);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    connect(ScrollBox1, &WaveView::redrawRequested, this, [this] { guarded([this] { DrawWave(false); }); });
}

void TForm1::DrawWave(bool roll)
{
    const bool hasRows = ADOQuery1->isOpen() && ADOQuery1->recordCount() > 0;
    ScrollBox1->drawWave(roll, hasRows, hasRows ? ADOQuery1->irData() : QByteArray());
}

void TForm1::ClearWave()
{
    ScrollBox1->clearWave();
}

void TForm1::BitBtn1Click()
{
    ScrollBox1->traces().zoomIn();
    DrawWave(false);
}

void TForm1::BitBtn2Click()
{
    ScrollBox1->traces().zoomOut();
    DrawWave(false);
}

void TForm1::BitBtn3Click()
{
    ScrollBox1->traces().normalSize();
    DrawWave(false);
}

void TForm1::BitBtn4Click()
{
    ClearWave();
}

void TForm1::CheckBox9Click()
{
    ScrollBox1->traces().setShowTime(CheckBox9->isChecked());
    DrawWave(false);
}

// ---------------------------------------------------------------------------
// Code grid

void TForm1::buildGrid()
{
    auto *layout = new QVBoxLayout(Panel2);
    layout->setContentsMargins(0, 0, 0, 0);
    DBGridEh1 = new CodeGrid(Panel2);
    DBGridEh1->setTable(ADOQuery1);
    layout->addWidget(DBGridEh1);

    connect(DBGridEh1, &CodeGrid::sendStripPressed, this, [this] { runCommand(&TForm1::sendStripPressed); });
    connect(DBGridEh1, &CodeGrid::idCellPressed, this, [this] { guarded([this] { DrawWave(false); }); });
    connect(DBGridEh1, &CodeGrid::fieldDoubleClicked, this, [this](const QString &name) {
        if (name == QLatin1String("Function"))
            runCommand(&TForm1::EditFuncExecute);
        else if (name == QLatin1String("IR Data"))
            runCommand(&TForm1::editIrData);
        else if (name == QLatin1String("Remark"))
            runCommand(&TForm1::EditRemark);
    });

    auto *popup = new QMenu(DBGridEh1);
    popup->setObjectName(QStringLiteral("PopupMenu2"));
    popup->addAction(action(QStringLiteral("Copy")));
    popup->addAction(action(QStringLiteral("Paste")));
    popup->addSeparator();
    popup->addAction(action(QStringLiteral("InsertFunctions")));
    // The menu item carries Del, which works while the grid has the focus.
    auto *deleteItem = new QAction(QStringLiteral("Delete"), DBGridEh1);
    deleteItem->setObjectName(QStringLiteral("DeleteIRData1"));
    deleteItem->setShortcut(QKeySequence(Qt::Key_Delete));
    deleteItem->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(deleteItem, &QAction::triggered, action(QStringLiteral("DelFunctions")), &QAction::trigger);
    connect(action(QStringLiteral("DelFunctions")), &QAction::changed, deleteItem,
            [this, deleteItem] { deleteItem->setEnabled(action(QStringLiteral("DelFunctions"))->isEnabled()); });
    DBGridEh1->addAction(deleteItem);
    popup->addAction(deleteItem);
    popup->addSeparator();
    buildNameEncodingMenu(popup);
    DBGridEh1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGridEh1, &QWidget::customContextMenuRequested, this,
            [this, popup](const QPoint &at) { popup->popup(DBGridEh1->viewport()->mapToGlobal(at)); });
}

void TForm1::buildNameEncodingMenu(QMenu *popup)
{
    QMenu *menu = popup->addMenu(QStringLiteral("Name encoding"));
    auto *group = new QActionGroup(this);
    const auto add = [this, menu, group](NameEncoding::Kind kind, const char *name, const QString &caption) {
        auto *choice = new QAction(caption, this);
        choice->setObjectName(QLatin1String(name));
        choice->setCheckable(true);
        choice->setChecked(kind == ADOQuery1->nameEncoding().kind());
        group->addAction(choice);
        menu->addAction(choice);
        connect(choice, &QAction::triggered, this,
                [this, kind] { guarded([this, kind] { chooseNameEncoding(kind); }); });
    };
    add(NameEncoding::Kind::Latin1, "NameEncodingLatin1", QStringLiteral("Latin-1"));
    add(NameEncoding::Kind::Gbk, "NameEncodingGbk", QStringLiteral("GBK (Chinese)"));
}

void TForm1::applyNameEncoding(NameEncoding::Kind kind)
{
    ADOQuery1->setNameEncoding(NameEncoding(kind));
    action(QLatin1String(kind == NameEncoding::Kind::Gbk ? "NameEncodingGbk" : "NameEncodingLatin1"))->setChecked(true);
}

void TForm1::chooseNameEncoding(NameEncoding::Kind kind)
{
    applyNameEncoding(kind);
    NameEncodingFile::write(namesPath(), kind);
}

// ---------------------------------------------------------------------------
// IR data editor

QString TForm1::currentFunction() const
{
    return ADOQuery1->functionName(ADOQuery1->recNo() - 1);
}

void TForm1::writeIrData(const QByteArray &block)
{
    ADOQuery1->edit();
    ADOQuery1->setField(QStringLiteral("IR Data"), block);
    ADOQuery1->post();
    m_modified = true;
}
