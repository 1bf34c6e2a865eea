#include "app/PortLamp.h"
#include "app/SettingsFile.h"
#include "app/TForm1.h"
#include "app/ZoqError.h"
#include "device/SerialLink.h"
#include "device/TfmProgress.h"
#include "dialogs/TfmFuncEdit.h"
#include "dialogs/TfmGoTo.h"
#include "document/CodeGrid.h"
#include "document/CodeTable.h"
#include "document/RowClipboard.h"
#include "image/CompiledImage.h"
#include "image/TEepromImage.h"
#include "modsim/ModuleSimulator.h"
#include "support/ScriptedPrompt.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using Answer = Prompt::Answer;

namespace {

const QString SaveQuestion = QStringLiteral("Save changes to current file?");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int countRows(const QString &path, const QString &table)
{
    const QString name = QStringLiteral("count-") + path;
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(QStringLiteral("select count(*) from ") + table, db);
            if (query.next())
                count = query.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return count;
}

// Answers the next modal dialog with text typed into its box.
void answerNextDialog(const QString &text, bool accept = true)
{
    QTimer::singleShot(0, [text, accept] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        auto *box = dialog->findChild<QLineEdit *>();
        box->setText(text);
        if (accept)
            QTest::keyClick(box, Qt::Key_Return);
        else
            QTest::keyClick(box, Qt::Key_Escape);
    });
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsWithUntitledDocumentAndDefaults();
    void savePromptPaths_data();
    void savePromptPaths();
    void saveUnderNewNameThenOntoItself();
    void saveOverExistingFileAnsweredNo();
    void openRefusesBadFileAndGoesOn();
    void closeWritesSettingsUnlessCancelled();
    void closeWithUnwritableSettingsStillCloses();
    void learnStoresCaptureAndDerivesFields();
    void sendGestureLightsTickedPortsUntilRelease();
    void sendOnEmptyRowWritesNothing();
    void rightPressNeverReachesGrid();
    void insertDeleteAndRename();
    void copyPasteAndSelectAll();
    void goToMessages();
    void compileImportRoundTrip();
    void downloadThenUploadThroughTheModule();
    void shortImageIsRefusedBeforeReplacingDocument();
    void nameOutsideLatin1IsRefused();
    void gbkNamesThroughRenameLearnAndRestart();
    void unchangedNameKeepsItsBytes();

private:
    void startWindow();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ModuleSimulator> m_module;
    ScriptedPrompt m_prompt;
    std::unique_ptr<TForm1> m_form;
};

void TestMainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_prompt.clear();
    m_module = std::make_unique<ModuleSimulator>();
    SimulatorSettings settings = m_module->settings();
    settings.captureDelayMs = 50;
    m_module->setSettings(settings);
    QVERIFY(m_module->open(m_dir->filePath(QStringLiteral("COM1"))));
}

void TestMainWindow::cleanup()
{
    m_form.reset();
    m_module.reset();
    m_dir.reset();
}

void TestMainWindow::startWindow()
{
    m_form = std::make_unique<TForm1>(m_prompt, m_dir->path());
    m_form->FormCreate();
    m_form->show();
}

void TestMainWindow::startsWithUntitledDocumentAndDefaults()
{
    startWindow();
    QCOMPARE(m_form->windowTitle(), QStringLiteral("ZOQ V2.1-20091015"));
    QCOMPARE(m_form->table().recordCount(), 512);
    QCOMPARE(m_form->documentPath(), m_dir->filePath(QStringLiteral("Temp.~tmp")));
    QVERIFY(m_form->isDocumentOpen());
    QVERIFY(!m_form->isModified());
    QCOMPARE(m_form->learnTimeBox()->currentText(), QStringLiteral("1s"));
    QCOMPARE(m_form->comBox()->currentText(), QStringLiteral("COM1"));
    QCOMPARE(m_form->statusText(1), QStringLiteral("COM1"));
    QCOMPARE(m_form->statusText(3), m_form->documentPath());
    QCOMPARE(m_form->moduleIdBox()->currentText(), QStringLiteral("0"));
    QVERIFY(m_form->normalButton()->isChecked());
    QCOMPARE(m_form->irPortMask(), 255);
    for (int i = 0; i < 8; ++i)
        QVERIFY(m_form->portBox(i)->isChecked());
    QVERIFY(!m_form->action(QStringLiteral("Paste"))->isEnabled());
    for (const char *name : {"EditFunc", "IRLearn", "SaveAs", "Download", "Upload"})
        QVERIFY2(m_form->action(QLatin1String(name))->isEnabled(), name);
    QVERIFY(m_prompt.asked().isEmpty());
}

void TestMainWindow::savePromptPaths_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("saveDialogAnswered");
    QTest::addColumn<bool>("replaced");

    QTest::newRow("cancel") << Answer::Cancel << false << false;
    QTest::newRow("yes, save dialog cancelled") << Answer::Yes << false << false;
    QTest::newRow("yes, saved") << Answer::Yes << true << true;
    QTest::newRow("no") << Answer::No << false << true;
}

void TestMainWindow::savePromptPaths()
{
    QFETCH(Answer, answer);
    QFETCH(bool, saveDialogAnswered);
    QFETCH(bool, replaced);

    startWindow();
    m_form->table().setRecNo(5);
    m_form->table().edit();
    m_form->table().setField(QStringLiteral("Remark"), QStringLiteral("kept?"));
    m_form->table().post();
    QVERIFY(m_form->isModified());

    m_prompt.queueAnswer(answer);
    if (answer == Answer::Yes)
        m_prompt.queueFileName(saveDialogAnswered ? m_dir->filePath(QStringLiteral("saved")) : QString());
    m_form->action(QStringLiteral("New"))->trigger();

    QCOMPARE(m_prompt.texts().first(), SaveQuestion);
    QCOMPARE(m_prompt.asked().first().title, QStringLiteral("ZOQ V2.1-20091015"));
    const QString remark = m_form->table().recordCount() ? m_form->table().fieldText(QStringLiteral("Remark")) : QString();
    if (replaced) {
        QVERIFY(!m_form->isModified());
        QCOMPARE(m_form->documentPath(), m_dir->filePath(QStringLiteral("Temp.~tmp")));
        QCOMPARE(m_form->table().recNo(), 1);
    } else {
        QVERIFY(m_form->isModified());
        QCOMPARE(m_form->table().recNo(), 5);
        QCOMPARE(remark, QStringLiteral("kept?"));
    }
    if (saveDialogAnswered)
        QCOMPARE(countRows(m_dir->filePath(QStringLiteral("saved.zoq")), QStringLiteral("KeyInfo")), 512);
}

void TestMainWindow::saveUnderNewNameThenOntoItself()
{
    startWindow();
    m_form->table().setRecNo(7);
    m_form->table().edit();
    m_form->table().setField(QStringLiteral("Remark"), QStringLiteral("seven"));
    m_form->table().post();

    const QString target = m_dir->filePath(QStringLiteral("codes.zoq"));
    m_prompt.queueFileName(m_dir->filePath(QStringLiteral("codes")));
    m_form->action(QStringLiteral("Save"))->trigger();
    QCOMPARE(m_form->documentPath(), target);
    QCOMPARE(m_form->statusText(3), target);
    QVERIFY(!m_form->isModified());
    QCOMPARE(countRows(target, QStringLiteral("KeyInfo")), 512);
    QCOMPARE(countRows(target, QStringLiteral("ModelInfo")), 6);
    m_form->table().setRecNo(7);
    QCOMPARE(m_form->table().fieldText(QStringLiteral("Remark")), QStringLiteral("seven"));

    // Saving onto its own path writes the cached changes and keeps the row.
    m_form->table().setRecNo(9);
    m_form->table().edit();
    m_form->table().setField(QStringLiteral("Remark"), QStringLiteral("nine"));
    m_form->table().post();
    m_prompt.queueFileName(target);
    m_form->action(QStringLiteral("Save"))->trigger();
    QVERIFY(!m_form->isModified());
    QCOMPARE(m_form->table().recNo(), 9);
    QVERIFY(m_prompt.unexpected().isEmpty());
    CodeTable reread;
    reread.open(target);
    reread.setRecNo(9);
    QCOMPARE(reread.fieldText(QStringLiteral("Remark")), QStringLiteral("nine"));
}

void TestMainWindow::saveOverExistingFileAnsweredNo()
{
    startWindow();
    const QString other = m_dir->filePath(QStringLiteral("other.zoq"));
    QFile file(other);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();

    m_prompt.queueFileName(other);
    m_prompt.queueAnswer(Answer::No);
    m_form->action(QStringLiteral("Save"))->trigger();
    QCOMPARE(m_prompt.texts(), QStringList{QStringLiteral("File already exist.Replace?")});
    QCOMPARE(readFile(other), QByteArray("keep me"));
    QCOMPARE(m_form->documentPath(), m_dir->filePath(QStringLiteral("Temp.~tmp")));
}

void TestMainWindow::openRefusesBadFileAndGoesOn()
{
    startWindow();
    const QString bad = m_dir->filePath(QStringLiteral("notes.zoq"));
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("this is plain text, not a document\n");
    file.close();

    m_prompt.queueFileName(bad);
    m_form->action(QStringLiteral("Open"))->trigger();
    QCOMPARE(m_prompt.asked().size(), 2); // the open dialog, then the error
    QCOMPARE(m_prompt.asked().last().kind, QStringLiteral("notice"));
    QVERIFY(!m_prompt.asked().last().text.isEmpty());
    QCOMPARE(m_form->table().recordCount(), 0);
    // The document-governed actions stay enabled after a failed open.
    QVERIFY(m_form->action(QStringLiteral("SaveAs"))->isEnabled());

    m_form->action(QStringLiteral("New"))->trigger();
    QCOMPARE(m_form->table().recordCount(), 512);
}

void TestMainWindow::closeWritesSettingsUnlessCancelled()
{
    startWindow();
    const QString ini = m_dir->filePath(QStringLiteral("ZOQ.ini"));
    m_form->portBox(0)->click();
    m_form->rc5Button()->click();
    m_form->table().edit();
    m_form->table().setField(QStringLiteral("Remark"), QStringLiteral("x"));
    m_form->table().post();

    m_prompt.queueAnswer(Answer::Cancel);
    QVERIFY(!m_form->close());
    QVERIFY(!QFile::exists(ini));

    m_prompt.queueAnswer(Answer::No);
    QVERIFY(m_form->close());
    QCOMPARE(readFile(ini), QByteArray("[LEARNTIME]\r\nTIME=0\r\n[AUTORUN]\r\n[COMPORT]\r\nPORT=0\r\n[ID]\r\nID=0\r\n"
                                       "[IRPORT]\r\nPORT=254\r\n[IRFORMAT]\r\nFORMAT=2\r\n"));

    // The next start reads the choices back.
    m_form.reset();
    startWindow();
    QVERIFY(!m_form->portBox(0)->isChecked());
    QVERIFY(m_form->portBox(1)->isChecked());
    QVERIFY(m_form->rc5Button()->isChecked());
    QCOMPARE(m_form->irFormat(), 2);
}

void TestMainWindow::closeWithUnwritableSettingsStillCloses()
{
    startWindow();
    const QString ini = m_dir->filePath(QStringLiteral("ZOQ.ini"));
    QVERIFY(QDir().mkpath(ini)); // a folder where the file should go
    QVERIFY(m_form->close());
    QCOMPARE(m_prompt.asked().size(), 1);
    QVERIFY(m_prompt.asked().first().text.contains(QStringLiteral("ZOQ.ini")));
}

void TestMainWindow::learnStoresCaptureAndDerivesFields()
{
    startWindow();
    m_form->table().setRecNo(3);
    answerNextDialog(QStringLiteral("POWER"));
    m_form->EditFuncExecute();

    bool sawCapturing = false;
    connect(m_form->action(QStringLiteral("IRLearn")), &QAction::changed, this, [&] {
        if (m_form->action(QStringLiteral("IRLearn"))->text() == QLatin1String("Stop")) {
            sawCapturing = true;
            QVERIFY(!m_form->action(QStringLiteral("New"))->isEnabled());
            QVERIFY(!m_form->grid().isEnabled());
            QVERIFY(m_form->action(QStringLiteral("IRLearn"))->isEnabled());
        }
    });
    m_form->action(QStringLiteral("IRLearn"))->trigger();

    QVERIFY(sawCapturing);
    QCOMPARE(m_form->action(QStringLiteral("IRLearn"))->text(), QStringLiteral("IR Learn"));
    QVERIFY(m_form->action(QStringLiteral("New"))->isEnabled());
    QVERIFY(m_form->grid().isEnabled());
    QCOMPARE(m_form->table().recNo(), 3);
    QCOMPARE(m_form->table().fieldText(QStringLiteral("Format")), QStringLiteral("Normal"));
    QVERIFY(!m_form->table().fieldText(QStringLiteral("Carry")).isEmpty());
    QCOMPARE(m_form->table().fieldText(QStringLiteral("Function")), QStringLiteral("POWER"));
    QVERIFY(m_form->isModified());
    QVERIFY(m_prompt.asked().isEmpty());
    QTest::qWait(50); // the module reads the closing ESC
    const SimulatorJournal journal = m_module->journal();
    QCOMPARE(journal.frames.size(), 2);
    QCOMPARE(journal.frames.first().kind, FrameKind::Learn);
    QCOMPARE(journal.frames.last().kind, FrameKind::Escape);
}

void TestMainWindow::sendGestureLightsTickedPortsUntilRelease()
{
    startWindow();
    m_form->action(QStringLiteral("IRLearn"))->trigger();
    for (int i : {1, 2, 3, 4, 6, 7})
        m_form->portBox(i)->click(); // ports 0 and 5 stay ticked
    QCOMPARE(m_form->irPortMask(), 0x21);

    int polls = 0;
    QList<int> redWhileHeld;
    m_form->setLeftButtonState([&] {
        if (polls++ == 0) {
            for (int i = 0; i < 8; ++i) {
                if (m_form->portLamp(i)->color() == PortLamp::Sending)
                    redWhileHeld.append(i);
            }
        }
        return polls < 4;
    });
    QTest::qWait(50); // the module reads the learn run's closing ESC
    m_module->clearJournal();
    emit m_form->grid().sendStripPressed();

    QCOMPARE(redWhileHeld, (QList<int>{0, 5}));
    for (int i = 0; i < 8; ++i)
        QCOMPARE(m_form->portLamp(i)->color(), PortLamp::Rest);
    const SimulatorJournal journal = m_module->journal();
    QCOMPARE(journal.frames.size(), 2);
    QCOMPARE(journal.frames[0].kind, FrameKind::Send);
    QCOMPARE(journal.frames[1].kind, FrameKind::Stop);
    QCOMPARE(journal.blocks.size(), 1);
    QCOMPARE(journal.blocks.first().portMask, quint8(0x21));
}

void TestMainWindow::sendOnEmptyRowWritesNothing()
{
    startWindow();
    m_form->setLeftButtonState([] { return false; });
    m_module->clearJournal();
    emit m_form->grid().sendStripPressed();
    QTest::qWait(100);
    QVERIFY(m_module->journal().frames.isEmpty());
    QVERIFY(m_prompt.asked().isEmpty());
    for (int i = 0; i < 8; ++i)
        QCOMPARE(m_form->portLamp(i)->color(), PortLamp::Rest);
}

void TestMainWindow::rightPressNeverReachesGrid()
{
    startWindow();
    QApplication::setActiveWindow(m_form.get());
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    CodeGrid &grid = m_form->grid();
    m_form->table().setRecNo(2);
    grid.addRowToSelection(4);
    const QRect rowRect = grid.visualRect(grid.model()->index(9, 1));
    QTest::mousePress(grid.viewport(), Qt::RightButton, {}, rowRect.center());
    QTest::mouseRelease(grid.viewport(), Qt::RightButton, {}, rowRect.center());
    QCOMPARE(m_form->table().recNo(), 2);
    QCOMPARE(grid.selectedRows(), (QList<int>{4}));
    // A left press still moves the current row.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, rowRect.center());
    QCOMPARE(m_form->table().recNo(), 10);
}

void TestMainWindow::insertDeleteAndRename()
{
    startWindow();
    m_form->table().setRecNo(10);
    answerNextDialog(QStringLiteral("VOL+"));
    m_form->EditFuncExecute();
    QCOMPARE(m_form->table().fieldText(QStringLiteral("Function")), QStringLiteral("VOL+"));
    QCOMPARE(TIRDataBlock::fromField(m_form->table().irData()).nameBytes(), QByteArray("VOL+"));
    // A renamed empty slot stays empty.
    QVERIFY(m_form->table().fieldText(QStringLiteral("Carry")).isEmpty());

    m_form->action(QStringLiteral("InsertFunctions"))->trigger();
    QCOMPARE(m_form->table().recNo(), 10);
    QVERIFY(m_form->table().fieldText(QStringLiteral("Function")).isEmpty());
    m_form->table().setRecNo(11);
    QCOMPARE(m_form->table().fieldText(QStringLiteral("Function")), QStringLiteral("VOL+"));

    m_form->table().setRecNo(10);
    m_prompt.queueAnswer(Answer::No);
    m_form->action(QStringLiteral("DelFunctions"))->trigger();
    m_form->table().setRecNo(11);
    QCOMPARE(m_form->table().fieldText(QStringLiteral("Function")), QStringLiteral("VOL+"));
    m_form->table().setRecNo(10);
    m_prompt.queueAnswer(Answer::Yes);
    m_form->action(QStringLiteral("DelFunctions"))->trigger();
    QCOMPARE(m_form->table().recNo(), 10);
    QCOMPARE(m_form->table().fieldText(QStringLiteral("Function")), QStringLiteral("VOL+"));
    QCOMPARE(m_prompt.texts(), (QStringList{QStringLiteral("Really delete IR data in selection items?"),
                                            QStringLiteral("Really delete IR data in selection items?")}));
}

void TestMainWindow::copyPasteAndSelectAll()
{
    startWindow();
    for (int row : {3, 5, 10}) {
        m_form->table().setRecNo(row);
        m_form->table().edit();
        m_form->table().setField(QStringLiteral("Remark"), QStringLiteral("r%1").arg(row));
        m_form->table().post();
    }
    CodeGrid &grid = m_form->grid();
    grid.clearSelection();
    for (int row : {3, 10, 5})
        grid.addRowToSelection(row);
    m_form->action(QStringLiteral("Copy"))->trigger();
    QCOMPARE(m_form->table().recNo(), 10);
    QVERIFY(m_form->action(QStringLiteral("Paste"))->isEnabled());

    m_form->table().setRecNo(20);
    m_form->action(QStringLiteral("Paste"))->trigger();
    QCOMPARE(grid.selectedRows(), (QList<int>{20, 21, 22}));
    QCOMPARE(m_form->table().recNo(), 22);
    QCOMPARE(m_form->table().fieldText(QStringLiteral("Remark")), QStringLiteral("r10"));

    // The row clipboard survives New.
    m_prompt.queueAnswer(Answer::No);
    m_form->action(QStringLiteral("New"))->trigger();
    QVERIFY(m_form->action(QStringLiteral("Paste"))->isEnabled());

    m_form->action(QStringLiteral("SelectAll"))->trigger();
    QCOMPARE(grid.selectedRows().size(), 512);
    QCOMPARE(m_form->table().recNo(), 512);
}

void TestMainWindow::goToMessages()
{
    startWindow();
    const auto goTo = [this](const QString &text) {
        answerNextDialog(text);
        m_form->action(QStringLiteral("Goto"))->trigger();
    };
    goTo(QStringLiteral("12"));
    QCOMPARE(m_form->table().recNo(), 12);
    goTo(QStringLiteral("-5"));
    QCOMPARE(m_form->table().recNo(), 1);
    goTo(QStringLiteral("abc"));
    QCOMPARE(m_prompt.texts().last(), QStringLiteral("'abc' is not a valid integer value"));
    goTo(QStringLiteral("513"));
    QCOMPARE(m_prompt.asked().size(), 2);
    QCOMPARE(m_form->table().recNo(), 1);

    m_form->table().setRecNo(40);
    m_form->table().edit();
    m_form->table().setField(QStringLiteral("IR Data"), [] {
        TIRDataBlock block;
        block.setNameBytes("MUTE");
        return block.toByteArray();
    }());
    m_form->table().post();
    m_form->table().setRecNo(1);
    m_form->goToDialog().functionButton()->setChecked(true);
    goTo(QStringLiteral("mute"));
    QCOMPARE(m_form->table().recNo(), 40);
    goTo(QStringLiteral("mu"));
    QCOMPARE(m_prompt.texts().last(), QStringLiteral("Not found mu!"));
    QCOMPARE(m_form->table().recNo(), 40);
}

void TestMainWindow::compileImportRoundTrip()
{
    startWindow();
    m_form->action(QStringLiteral("IRLearn"))->trigger();
    const QByteArray learned = m_form->table().irData();
    QCOMPARE(learned.at(0), 'r');

    m_prompt.queueFileName(m_dir->filePath(QStringLiteral("codes")));
    m_form->action(QStringLiteral("SaveAs"))->trigger();
    const QByteArray image = readFile(m_dir->filePath(QStringLiteral("codes.bin")));
    QCOMPARE(image.size(), TEepromImage::Size);
    QCOMPARE(image.left(512), learned);

    m_prompt.queueFileName(m_dir->filePath(QStringLiteral("codes.bin")));
    m_prompt.queueAnswer(Answer::No); // the open's save prompt
    m_prompt.queueAnswer(Answer::No); // asked again by New
    m_form->action(QStringLiteral("Open"))->trigger();
    QCOMPARE(m_form->documentPath(), m_dir->filePath(QStringLiteral("Temp.~tmp")));
    QVERIFY(m_form->isModified());
    QCOMPARE(m_form->table().recNo(), 1);
    QByteArray expected = learned;
    expected[255] = 0;
    QCOMPARE(m_form->table().irData(), expected);
    QCOMPARE(m_form->table().fieldText(QStringLiteral("Format")), QStringLiteral("Normal"));
}

void TestMainWindow::downloadThenUploadThroughTheModule()
{
    startWindow();
    m_form->action(QStringLiteral("IRLearn"))->trigger();
    m_form->table().setRecNo(512);
    m_form->table().edit();
    m_form->table().setField(QStringLiteral("Remark"), QStringLiteral("last"));
    m_form->table().post();

    m_prompt.queueAnswer(Answer::Yes);
    m_form->action(QStringLiteral("Download"))->trigger();
    QCOMPARE(m_prompt.texts().last(), QStringLiteral("Download completed."));
    const QString compiled = m_dir->filePath(QStringLiteral("check.bin"));
    compileImage(m_form->table(), compiled);
    QCOMPARE(m_module->eeprom(), readFile(compiled));
    QCOMPARE(m_form->link().iBaudrate(), SerialLink::NormalBaudrate);
    QVERIFY(!m_form->progressDialog().isVisible());
    QVERIFY(m_form->grid().isEnabled());

    // Upload into a fresh document brings the slots back.
    m_prompt.queueAnswer(Answer::No);
    m_form->action(QStringLiteral("New"))->trigger();
    m_prompt.queueAnswer(Answer::Yes);
    m_form->action(QStringLiteral("Upload"))->trigger();
    QCOMPARE(m_prompt.texts().last(), QStringLiteral("Upload completed."));
    QCOMPARE(m_form->table().recNo(), 1);
    QCOMPARE(m_form->table().fieldText(QStringLiteral("Format")), QStringLiteral("Normal"));
    m_form->table().setRecNo(2);
    QCOMPARE(m_form->table().irData(), QByteArray(512, '\0'));
    QVERIFY(m_form->isModified());
    QCOMPARE(m_form->link().iBaudrate(), SerialLink::NormalBaudrate);
}

void TestMainWindow::shortImageIsRefusedBeforeReplacingDocument()
{
    startWindow();
    m_form->table().edit();
    m_form->table().setField(QStringLiteral("Remark"), QStringLiteral("mine"));
    m_form->table().post();
    const QString shortImage = m_dir->filePath(QStringLiteral("short.BIN"));
    QFile file(shortImage);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1000, '\x11'));
    file.close();

    m_prompt.queueAnswer(Answer::No);
    m_prompt.queueFileName(shortImage);
    m_form->action(QStringLiteral("Open"))->trigger();
    QCOMPARE(m_prompt.asked().last().kind, QStringLiteral("notice"));
    QVERIFY(m_form->isModified());
    QCOMPARE(m_form->table().fieldText(QStringLiteral("Remark")), QStringLiteral("mine"));
}

void TestMainWindow::nameOutsideLatin1IsRefused()
{
    startWindow();
    m_form->table().setRecNo(3);
    answerNextDialog(QStringLiteral("TV\u7535\u6E90"));
    m_form->EditFuncExecute();
    QCOMPARE(m_prompt.texts(),
             QStringList{QStringLiteral("The character '\u7535' cannot be stored in a key name in Latin-1.")});
    QCOMPARE(m_form->table().irData(), QByteArray(512, '\0'));
    QCOMPARE(m_form->table().fieldText(QStringLiteral("Function")), QString());
    QVERIFY(!m_form->isModified());
}

void TestMainWindow::gbkNamesThroughRenameLearnAndRestart()
{
    const QString power = QStringLiteral("\u7535\u6E90");
    const QByteArray powerField = QByteArray::fromHex("B5E7D4B400");
    startWindow();
    QVERIFY(m_form->action(QStringLiteral("NameEncodingLatin1"))->isChecked());
    m_form->action(QStringLiteral("NameEncodingGbk"))->trigger();
    QCOMPARE(readFile(m_form->namesPath()), QByteArray("[NAMES]\r\nENCODING=GBK\r\n"));

    m_form->table().setRecNo(3);
    answerNextDialog(power);
    m_form->EditFuncExecute();
    QCOMPARE(m_form->table().irData().mid(240, 5), powerField);
    QCOMPARE(m_form->table().fieldText(QStringLiteral("Function")), power);

    m_form->action(QStringLiteral("IRLearn"))->trigger();
    QCOMPARE(m_form->table().fieldText(QStringLiteral("Format")), QStringLiteral("Normal"));
    QCOMPARE(m_form->table().irData().mid(240, 5), powerField);
    QCOMPARE(m_form->table().fieldText(QStringLiteral("Function")), power);

    // Latin-1 shows the same bytes its own way; the document does not change.
    m_form->action(QStringLiteral("NameEncodingLatin1"))->trigger();
    const QModelIndex cell = m_form->table().index(2, m_form->table().fieldIndex(QStringLiteral("Function")));
    QCOMPARE(cell.data().toString(), QStringLiteral("\u00B5\u00E7\u00D4\u00B4"));
    QCOMPARE(m_form->table().fieldText(QStringLiteral("Function")), power);

    // The choice is kept apart from ZOQ.ini and read back at the next start.
    m_form->action(QStringLiteral("NameEncodingGbk"))->trigger();
    m_prompt.queueAnswer(Answer::No);
    QVERIFY(m_form->close());
    const QByteArray settings = readFile(m_dir->filePath(QStringLiteral("ZOQ.ini")));
    QCOMPARE(settings.count("\r\n"), 11);
    QVERIFY(!settings.contains("GBK"));
    m_form.reset();
    startWindow();
    QVERIFY(m_form->action(QStringLiteral("NameEncodingGbk"))->isChecked());
    QCOMPARE(m_form->table().nameEncoding().kind(), NameEncoding::Kind::Gbk);
    QVERIFY(m_prompt.unexpected().isEmpty());
}

void TestMainWindow::unchangedNameKeepsItsBytes()
{
    startWindow();
    m_form->action(QStringLiteral("NameEncodingGbk"))->trigger();
    TIRDataBlock block;
    block.setNameBytes("A\xB5"); // a lead byte with nothing after it
    m_form->table().setRecNo(4);
    m_form->table().edit();
    m_form->table().setField(QStringLiteral("IR Data"), block.toByteArray());
    m_form->table().post();
    const QString shown = m_form->table().functionName(3);
    QCOMPARE(shown, QStringLiteral("A\uFFFD"));

    answerNextDialog(shown);
    m_form->EditFuncExecute();
    QCOMPARE(m_form->table().irData(), block.toByteArray());
    QVERIFY(m_prompt.asked().isEmpty());

    answerNextDialog(shown + u'X');
    m_form->EditFuncExecute();
    QCOMPARE(m_prompt.texts(),
             QStringList{QStringLiteral("The character '\uFFFD' cannot be stored in a key name in GBK.")});
    QCOMPARE(m_form->table().irData(), block.toByteArray());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
