#include "gui/mainwindow/DialogPrompt.h"
#include "gui/mainwindow/PortLamp.h"
#include "core/settings/SettingsFile.h"
#include "gui/mainwindow/DocumentCommands.h"
#include "gui/mainwindow/MainWindow.h"
#include "core/common/ZoqError.h"
#include "core/device/SerialLink.h"
#include "gui/dialogs/TransferProgressDialog.h"
#include "gui/dialogs/FunctionNameDialog.h"
#include "gui/dialogs/GoToDialog.h"
#include "gui/grid/CodeGrid.h"
#include "core/document/CodeTable.h"
#include "core/document/DocumentStore.h"
#include "core/document/RowClipboard.h"
#include "core/document/WorkingFileLock.h"
#include "core/image/CompiledImage.h"
#include "core/image/EepromImage.h"
#include "WindowTestCase.h"
#include "support/SpecialFiles.h"
#include "TestDocument.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using Answer = Prompt::Answer;

// The exchanges with the module that hold the line while they run.
enum class Exchange { Learn, Send, Download, Upload };
Q_DECLARE_METATYPE(Exchange)
Q_DECLARE_METATYPE(SpecialFiles::Kind)

namespace {

const QString SaveQuestion = QStringLiteral("Save changes to current file?");
const QString StopQuestion = QStringLiteral("A transfer with the module is running. Stop it and close?");

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

class TestMainWindow : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsWithUntitledDocumentAndDefaults();
    void failedFirstNewLeavesCommandsSafe_data();
    void failedFirstNewLeavesCommandsSafe();
    void savePromptPaths_data();
    void savePromptPaths();
    void saveUnderNewNameThenOntoItself();
    void saveOverExistingFileAnsweredNo();
    void openRefusesBadFileAndGoesOn();
    void closeWritesSettingsUnlessCancelled();
    void closeWithUnwritableSettingsStillCloses();
    void unreadableSettingsAreToldAtStart_data();
    void unreadableSettingsAreToldAtStart();
    void unaskedInputShowsInPortPanel();
    void laterQuestionDoesNotBlock_data();
    void laterQuestionDoesNotBlock();
    void closeDuringExchange_data();
    void closeDuringExchange();
    void typedLearnTimeIsSaved_data();
    void typedLearnTimeIsSaved();
    void learnStoresCaptureAndDerivesFields();
    void sendGestureLightsTickedPortsUntilRelease();
    void sendOnEmptyRowWritesNothing();
    void rightPressNeverReachesGrid();
    void insertDeleteAndRename();
    void insertAsksBeforePushingOutLastRow_data();
    void insertAsksBeforePushingOutLastRow();
    void renameAndRemarkKeepLongerTexts_data();
    void renameAndRemarkKeepLongerTexts();
    void copyPasteAndSelectAll();
    void goToMessages();
    void compileImportRoundTrip();
    void downloadThenUploadThroughTheModule();
    void shortImageIsRefusedBeforeReplacingDocument();
    void nameOutsideLatin1IsRefused();
    void gbkNamesThroughRenameLearnAndRestart();
    void unchangedNameKeepsItsBytes();

private:

};

void TestMainWindow::init()
{
    QVERIFY(openFolderAndModule());
}

void TestMainWindow::cleanup()
{
    closeAll();
}

void TestMainWindow::startsWithUntitledDocumentAndDefaults()
{
    startWindow();
    QCOMPARE(m_window->windowTitle(), QStringLiteral("ZOQ V2.1-20091015"));
    QCOMPARE(m_window->table().recordCount(), 512);
    QCOMPARE(m_window->documentPath(), m_dir->filePath(QStringLiteral("Temp.~tmp")));
    QVERIFY(m_window->isDocumentOpen());
    QVERIFY(!m_window->isModified());
    QCOMPARE(m_window->learnTimeBox()->currentText(), QStringLiteral("1s"));
    QCOMPARE(m_window->portBox()->currentText(), QStringLiteral("COM1"));
    QCOMPARE(m_window->statusText(1), QStringLiteral("COM1 (%1)").arg(m_module->slavePath()));
    QCOMPARE(m_window->statusText(3), m_window->documentPath());
    QCOMPARE(m_window->moduleIdBox()->currentText(), QStringLiteral("0"));
    QVERIFY(m_window->normalFormatButton()->isChecked());
    QCOMPARE(m_window->irPortMask(), 255);
    for (int i = 0; i < 8; ++i)
        QVERIFY(m_window->irPortBox(i)->isChecked());
    QVERIFY(!m_window->action(QStringLiteral("pasteRows"))->isEnabled());
    for (const char *name : {"renameKey", "learnSelectedRows", "compileImage", "downloadToModule", "uploadFromModule"})
        QVERIFY2(m_window->action(QLatin1String(name))->isEnabled(), name);
    QVERIFY(m_prompt.asked().isEmpty());
}

void TestMainWindow::failedFirstNewLeavesCommandsSafe_data()
{
    QTest::addColumn<bool>("secondCopy"); // else a program folder that cannot hold files
    QTest::addColumn<QString>("message");
    QTest::newRow("second copy in the same folder")
        << true << QStringLiteral("Temp.~tmp is in use by another running copy of the program.");
    QTest::newRow("program folder without write access") << false << QStringLiteral("Cannot create the lock file");
}

void TestMainWindow::failedFirstNewLeavesCommandsSafe()
{
    QFETCH(bool, secondCopy);
    QFETCH(QString, message);
    WorkingFileLock otherCopy;
    QString programDir = m_dir->path();
    if (secondCopy) {
        otherCopy.acquire(m_dir->filePath(QStringLiteral("Temp.~tmp")));
    } else {
        programDir = m_dir->filePath(QStringLiteral("plain-file"));
        QFile file(programDir);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    m_window = std::make_unique<MainWindow>(m_prompt, programDir);
    m_window->start();
    m_window->show();

    const auto failures = [this, &message] {
        int count = 0;
        for (const QString &text : m_prompt.texts())
            count += text.startsWith(message) ? 1 : 0;
        return count;
    };
    QCOMPARE(failures(), 1);
    QVERIFY(!m_window->isDocumentOpen());
    QVERIFY(!m_window->table().isOpen());
    for (const char *name : {"renameKey", "learnSelectedRows", "compileImage", "downloadToModule", "uploadFromModule", "pasteRows"})
        QVERIFY2(!m_window->action(QLatin1String(name))->isEnabled(), name);

    // Every command, and every grid gesture, with no table: only New, Open and About show anything.
    QStringList dialogsShown;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&dialogsShown] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            dialogsShown.append(dialog->windowTitle());
            dialog->reject();
        }
    });
    closer.start(10);
    m_window->setLeftButtonState([] { return false; });
    for (QAction *command : m_window->actions())
        command->trigger();
    CodeGrid &grid = m_window->grid();
    emit grid.sendStripPressed();
    emit grid.idCellPressed();
    for (const char *field : {"Function", "IR Data", "Remark"})
        emit grid.fieldDoubleClicked(QLatin1String(field));
    closer.stop();

    QCOMPARE(dialogsShown, QStringList{QStringLiteral("About")});
    QCOMPARE(failures(), 2); // New tried again
    QCOMPARE(m_prompt.unexpected(), QStringList{QStringLiteral("open dialog")});
    for (const ScriptedPrompt::Asked &asked : m_prompt.asked())
        QVERIFY2(asked.kind == QLatin1String("notice") || asked.kind == QLatin1String("open"), qPrintable(asked.text));
    QVERIFY(!m_window->table().isOpen());

    // A document opened later brings the commands back.
    const QString other = m_dir->filePath(QStringLiteral("other.zoq"));
    DocumentStore::writeTemplate(other);
    m_prompt.queueFileName(other);
    m_window->action(QStringLiteral("openDocument"))->trigger();
    QCOMPARE(m_window->table().recordCount(), 512);
    for (const char *name : {"renameKey", "learnSelectedRows", "compileImage", "downloadToModule", "uploadFromModule"})
        QVERIFY2(m_window->action(QLatin1String(name))->isEnabled(), name);
    QVERIFY(!m_window->action(QStringLiteral("pasteRows"))->isEnabled());
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
    m_window->table().setRecNo(5);
    m_window->table().edit();
    m_window->table().setField(QStringLiteral("Remark"), QStringLiteral("kept?"));
    m_window->table().post();
    QVERIFY(m_window->isModified());

    m_prompt.queueAnswer(answer);
    if (answer == Answer::Yes)
        m_prompt.queueFileName(saveDialogAnswered ? m_dir->filePath(QStringLiteral("saved")) : QString());
    m_window->action(QStringLiteral("newDocument"))->trigger();

    QCOMPARE(m_prompt.texts().first(), SaveQuestion);
    QCOMPARE(m_prompt.asked().first().title, QStringLiteral("ZOQ V2.1-20091015"));
    const QString remark = m_window->table().recordCount() ? m_window->table().fieldText(QStringLiteral("Remark")) : QString();
    if (replaced) {
        QVERIFY(!m_window->isModified());
        QCOMPARE(m_window->documentPath(), m_dir->filePath(QStringLiteral("Temp.~tmp")));
        QCOMPARE(m_window->table().recNo(), 1);
    } else {
        QVERIFY(m_window->isModified());
        QCOMPARE(m_window->table().recNo(), 5);
        QCOMPARE(remark, QStringLiteral("kept?"));
    }
    if (saveDialogAnswered)
        QCOMPARE(countRows(m_dir->filePath(QStringLiteral("saved.zoq")), QStringLiteral("KeyInfo")), 512);
}

void TestMainWindow::saveUnderNewNameThenOntoItself()
{
    startWindow();
    m_window->table().setRecNo(7);
    m_window->table().edit();
    m_window->table().setField(QStringLiteral("Remark"), QStringLiteral("seven"));
    m_window->table().post();

    const QString target = m_dir->filePath(QStringLiteral("codes.zoq"));
    m_prompt.queueFileName(m_dir->filePath(QStringLiteral("codes")));
    m_window->action(QStringLiteral("saveDocument"))->trigger();
    QCOMPARE(m_window->documentPath(), target);
    QCOMPARE(m_window->statusText(3), target);
    QVERIFY(!m_window->isModified());
    QCOMPARE(countRows(target, QStringLiteral("KeyInfo")), 512);
    QCOMPARE(countRows(target, QStringLiteral("ModelInfo")), 6);
    m_window->table().setRecNo(7);
    QCOMPARE(m_window->table().fieldText(QStringLiteral("Remark")), QStringLiteral("seven"));

    // Saving onto its own path writes the cached changes and keeps the row.
    m_window->table().setRecNo(9);
    m_window->table().edit();
    m_window->table().setField(QStringLiteral("Remark"), QStringLiteral("nine"));
    m_window->table().post();
    m_prompt.queueFileName(target);
    m_window->action(QStringLiteral("saveDocument"))->trigger();
    QVERIFY(!m_window->isModified());
    QCOMPARE(m_window->table().recNo(), 9);
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
    m_window->action(QStringLiteral("saveDocument"))->trigger();
    QCOMPARE(m_prompt.texts(), QStringList{QStringLiteral("File already exist.Replace?")});
    QCOMPARE(readFile(other), QByteArray("keep me"));
    QCOMPARE(m_window->documentPath(), m_dir->filePath(QStringLiteral("Temp.~tmp")));
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
    m_window->action(QStringLiteral("openDocument"))->trigger();
    QCOMPARE(m_prompt.asked().size(), 2); // the open dialog, then the error
    QCOMPARE(m_prompt.asked().last().kind, QStringLiteral("notice"));
    QVERIFY(!m_prompt.asked().last().text.isEmpty());
    QCOMPARE(m_window->table().recordCount(), 0);
    // The document-governed actions stay enabled after a failed open.
    QVERIFY(m_window->action(QStringLiteral("compileImage"))->isEnabled());

    m_window->action(QStringLiteral("newDocument"))->trigger();
    QCOMPARE(m_window->table().recordCount(), 512);
}

void TestMainWindow::closeWritesSettingsUnlessCancelled()
{
    startWindow();
    const QString ini = m_dir->filePath(QStringLiteral("ZOQ.ini"));
    m_window->irPortBox(0)->click();
    m_window->rc5Rc6FormatButton()->click();
    m_window->table().edit();
    m_window->table().setField(QStringLiteral("Remark"), QStringLiteral("x"));
    m_window->table().post();

    m_prompt.queueAnswer(Answer::Cancel);
    QVERIFY(!m_window->close());
    QVERIFY(!QFile::exists(ini));

    m_prompt.queueAnswer(Answer::No);
    QVERIFY(m_window->close());
    QCOMPARE(readFile(ini), QByteArray("[LEARNTIME]\r\nTIME=0\r\n[AUTORUN]\r\n[COMPORT]\r\nPORT=0\r\n[ID]\r\nID=0\r\n"
                                       "[IRPORT]\r\nPORT=254\r\n[IRFORMAT]\r\nFORMAT=2\r\n"));

    // The next start reads the choices back.
    m_window.reset();
    startWindow();
    QVERIFY(!m_window->irPortBox(0)->isChecked());
    QVERIFY(m_window->irPortBox(1)->isChecked());
    QVERIFY(m_window->rc5Rc6FormatButton()->isChecked());
    QCOMPARE(m_window->irFormat(), 2);
}

void TestMainWindow::closeWithUnwritableSettingsStillCloses()
{
    startWindow();
    const QString ini = m_dir->filePath(QStringLiteral("ZOQ.ini"));
    QVERIFY(QDir().mkpath(ini)); // a folder where the file should go
    QVERIFY(m_window->close());
    QCOMPARE(m_prompt.asked().size(), 1);
    QVERIFY(m_prompt.asked().first().text.contains(QStringLiteral("ZOQ.ini")));
}

void TestMainWindow::unreadableSettingsAreToldAtStart_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<SpecialFiles::Kind>("kind");
    QTest::newRow("settings a pipe") << "ZOQ.ini" << SpecialFiles::Kind::Pipe;
    QTest::newRow("settings a device") << "ZOQ.ini" << SpecialFiles::Kind::Device;
    QTest::newRow("key names a pipe") << "ZOQ-names.ini" << SpecialFiles::Kind::Pipe;
}

// Start-up neither hangs on the file nor reads it without end: it says so,
// starts with the defaults, and the close writes nothing through it.
void TestMainWindow::unreadableSettingsAreToldAtStart()
{
    QFETCH(QString, name);
    QFETCH(SpecialFiles::Kind, kind);
    const QString path = m_dir->filePath(name);
    QVERIFY(SpecialFiles::make(path, kind));
    const SpecialFiles::PipeRescue rescue(path);

    startWindow();
    QCOMPARE(m_prompt.texts().size(), 1);
    QCOMPARE(m_prompt.texts().first(), QStringLiteral("Cannot open file \"%1\". It is not a regular file. "
                                                      "The default settings are used.")
                                           .arg(QDir::toNativeSeparators(path)));
    QCOMPARE(m_window->table().recordCount(), 512);
    QCOMPARE(m_window->statusText(1), QStringLiteral("COM1 (%1)").arg(m_module->slavePath()));
    QCOMPARE(m_window->irPortMask(), 255);

    QVERIFY(m_window->close());
    QVERIFY(!rescue.rescued());
    QVERIFY(SpecialFiles::isStill(path, kind));
}

void TestMainWindow::unaskedInputShowsInPortPanel()
{
    startWindow();
    emit m_window->link().unaskedInputChanged(true);
    QCOMPARE(m_window->statusText(1), QStringLiteral("the module sends without being asked"));
    emit m_window->link().unaskedInputChanged(false);
    QCOMPARE(m_window->statusText(1), QStringLiteral("COM1 (%1)").arg(m_module->slavePath()));

    // A port chosen meanwhile shows once the module is quiet again.
    emit m_window->link().unaskedInputChanged(true);
    const int close = m_window->portBox()->findText(QStringLiteral("Close"));
    m_window->portBox()->setCurrentIndex(close);
    emit m_window->portBox()->activated(close);
    QCOMPARE(m_window->statusText(1), QStringLiteral("the module sends without being asked"));
    emit m_window->link().unaskedInputChanged(false);
    QCOMPARE(m_window->statusText(1), QStringLiteral("No port"));
}

void TestMainWindow::laterQuestionDoesNotBlock_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("button");
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes") << QMessageBox::Yes << true;
    QTest::newRow("No") << QMessageBox::No << false;
}

void TestMainWindow::laterQuestionDoesNotBlock()
{
    QFETCH(QMessageBox::StandardButton, button);
    QFETCH(bool, yes);
    QWidget owner;
    owner.show();
    DialogPrompt prompt(&owner);
    QList<bool> answers;
    prompt.askYesNoLater(QStringLiteral("Title"), QStringLiteral("Question?"),
                         [&answers](bool answer) { answers.append(answer); });
    // Back at once, with the question showing.
    QVERIFY(answers.isEmpty());
    auto *box = owner.findChild<QMessageBox *>();
    QVERIFY(box);
    QVERIFY(box->isVisible());
    QCOMPARE(box->windowTitle(), QStringLiteral("Title"));
    QCOMPARE(box->text(), QStringLiteral("Question?"));
    QTest::mouseClick(box->button(button), Qt::LeftButton);
    QCOMPARE(answers, QList<bool>{yes});
}

void TestMainWindow::closeDuringExchange_data()
{
    QTest::addColumn<Exchange>("exchange");
    QTest::addColumn<bool>("stop"); // the answer to the stop question
    QTest::addColumn<int>("answerDelayMs");

    const QList<QPair<const char *, Exchange>> exchanges = {
        {"learn", Exchange::Learn}, {"send", Exchange::Send},
        {"download", Exchange::Download}, {"upload", Exchange::Upload}};
    for (const auto &[name, exchange] : exchanges) {
        QTest::addRow("%s, Yes", name) << exchange << true << 0;
        QTest::addRow("%s, No", name) << exchange << false << 0;
    }
    // Longer than any wait of a transfer: the question must not hold it up.
    QTest::addRow("upload, No after 3.5 s") << Exchange::Upload << false << 3500;
}

// The window is asked to close in the middle of each exchange. Yes ends the
// exchange as its own Stop or Cancel would, then the usual close runs (save
// question, settings); No leaves the exchange to finish and the window open.
void TestMainWindow::closeDuringExchange()
{
    QFETCH(Exchange, exchange);
    QFETCH(bool, stop);
    QFETCH(int, answerDelayMs);

    SimulatorSettings settings = m_module->settings();
    settings.captureDelayMs = 500;
    m_module->setSettings(settings);
    QByteArray eeprom;
    for (int slot = 0; slot < 512; ++slot) {
        IrBlock block;
        block.set(0, 'r');
        block.setNameBytes(QStringLiteral("K%1").arg(slot).toLatin1());
        eeprom += block.toByteArray();
    }
    QVERIFY(m_module->setEeprom(eeprom));
    startWindow();
    CodeTable &table = m_window->table();
    table.setRecNo(7);
    table.edit();
    IrBlock sendable;
    sendable.set(0, 'r');
    table.setField(QStringLiteral("IR Data"),
                   exchange == Exchange::Send ? sendable.toByteArray() : QByteArray(512, '\0'));
    table.setField(QStringLiteral("Remark"), QStringLiteral("unsaved"));
    table.post();
    m_module->clearJournal();

    bool closeAsked = false;
    const auto askToClose = [this, &closeAsked] {
        if (closeAsked)
            return;
        closeAsked = true;
        QTimer::singleShot(0, m_window.get(), [this] { QVERIFY(!m_window->close()); });
    };
    bool busyAtSaveQuestion = true;
    m_prompt.setOnAsked([&](const ScriptedPrompt::Asked &asked) {
        if (asked.text == SaveQuestion)
            busyAtSaveQuestion = m_window->link().isBusy();
    });
    m_prompt.setLaterAnswerDelay(answerDelayMs);
    if (exchange == Exchange::Download || exchange == Exchange::Upload)
        m_prompt.queueAnswer(Answer::Yes); // the transfer's own question
    m_prompt.queueAnswer(stop ? Answer::Yes : Answer::No);
    if (stop)
        m_prompt.queueAnswer(Answer::No); // the save question of the close

    int polls = 0;
    switch (exchange) {
    case Exchange::Learn:
        connect(m_window->action(QStringLiteral("learnSelectedRows")), &QAction::changed, this, [this, askToClose] {
            if (m_window->action(QStringLiteral("learnSelectedRows"))->text() == QLatin1String("Stop"))
                askToClose();
        });
        m_window->action(QStringLiteral("learnSelectedRows"))->trigger();
        break;
    case Exchange::Send:
        // The button is held until it has been polled 20 times (No), or as long
        // as the test allows (Yes: the close has to end the hold).
        m_window->setLeftButtonState([&] {
            askToClose();
            return ++polls < (stop ? 400 : 20);
        });
        emit m_window->grid().sendStripPressed();
        break;
    case Exchange::Download:
    case Exchange::Upload:
        connect(m_window->progressDialog().findChild<QProgressBar *>(), &QProgressBar::valueChanged, this,
                [askToClose](int slot) {
                    if (slot == 10)
                        askToClose();
                });
        m_window->action(exchange == Exchange::Download ? QStringLiteral("downloadToModule") : QStringLiteral("uploadFromModule"))
            ->trigger();
        break;
    }
    QVERIFY(closeAsked);
    QTRY_VERIFY_WITH_TIMEOUT(m_prompt.allAnswersUsed(), answerDelayMs + 5000);
    QTest::qWait(50); // a close that was to follow has run; the module has read the last bytes

    const QStringList texts = m_prompt.texts();
    QCOMPARE(texts.count(StopQuestion), 1);
    QCOMPARE(m_prompt.asked().at(texts.indexOf(StopQuestion)).title, QStringLiteral("ZOQ V2.1-20091015"));
    QVERIFY(m_prompt.unexpected().isEmpty());
    QVERIFY(!m_window->link().isBusy());
    QCOMPARE(m_window->link().baudRate(), SerialLink::NormalBaudrate);
    QCOMPARE(m_window->documentPath(), m_dir->filePath(QStringLiteral("Temp.~tmp")));
    if (stop) {
        QVERIFY(!m_window->isVisible());
        QCOMPARE(texts.last(), SaveQuestion);
        QVERIFY(!busyAtSaveQuestion);
        QVERIFY(QFile::exists(m_dir->filePath(QStringLiteral("ZOQ.ini"))));
    } else {
        QVERIFY(m_window->isVisible());
        QVERIFY(!texts.contains(SaveQuestion));
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("ZOQ.ini"))));
    }

    const SimulatorJournal journal = m_module->journal();
    switch (exchange) {
    case Exchange::Learn:
        QCOMPARE(table.recNo(), 7);
        QCOMPARE(table.fieldText(QStringLiteral("Format")).isEmpty(), stop);
        QCOMPARE(journal.frames.last().kind, FrameKind::Escape);
        break;
    case Exchange::Send:
        QVERIFY(polls < 400);
        QCOMPARE(journal.frames.size(), 2);
        QCOMPARE(journal.frames.last().kind, FrameKind::Stop);
        for (int i = 0; i < 8; ++i)
            QCOMPARE(m_window->irPortLamp(i)->color(), PortLamp::Rest);
        break;
    case Exchange::Download:
        QCOMPARE(journal.transfers.size(), 1);
        QCOMPARE(journal.transfers.first().outcome, stop ? TransferOutcome::Cancelled : TransferOutcome::Completed);
        QVERIFY(texts.contains(stop ? QStringLiteral("Download terminated!") : QStringLiteral("Download completed.")));
        QCOMPARE(m_module->baudRate(), SerialLink::NormalBaudrate);
        break;
    case Exchange::Upload: {
        QCOMPARE(journal.transfers.size(), 1);
        QCOMPARE(journal.transfers.first().outcome, stop ? TransferOutcome::Cancelled : TransferOutcome::Completed);
        QVERIFY(texts.contains(stop ? QStringLiteral("Upload terminated!") : QStringLiteral("Upload completed.")));
        QCOMPARE(m_module->baudRate(), SerialLink::NormalBaudrate);
        // Slot j in row j + 1, for every slot that came.
        const int moved = journal.transfers.first().slotsMoved;
        QCOMPARE(moved < 512, stop);
        for (int row = 1; row <= 512; ++row) {
            table.setRecNo(row);
            QCOMPARE(table.fieldText(QStringLiteral("Function")),
                     row <= moved ? QStringLiteral("K%1").arg(row - 1) : QString());
        }
        break;
    }
    }
}

void TestMainWindow::typedLearnTimeIsSaved_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("timeLine");
    QTest::newRow("3s") << QStringLiteral("3s") << QByteArray("TIME=2");
    QTest::newRow("2s") << QStringLiteral("2s") << QByteArray("TIME=1");
    QTest::newRow("no item matches") << QStringLiteral("5s") << QByteArray("TIME=-1");
}

void TestMainWindow::typedLearnTimeIsSaved()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, timeLine);
    startWindow();
    QLineEdit *edit = m_window->learnTimeBox()->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, typed);
    QCOMPARE(m_window->learnTimeBox()->currentText(), typed);
    QVERIFY(m_window->close());
    const QList<QByteArray> lines = readFile(m_dir->filePath(QStringLiteral("ZOQ.ini"))).split('\n');
    QCOMPARE(lines.value(0), QByteArray("[LEARNTIME]\r"));
    QCOMPARE(lines.value(1), timeLine + '\r');
}

void TestMainWindow::learnStoresCaptureAndDerivesFields()
{
    startWindow();
    m_window->table().setRecNo(3);
    answerNextDialog(QStringLiteral("POWER"));
    m_window->documentCommands().renameKey();

    bool sawCapturing = false;
    connect(m_window->action(QStringLiteral("learnSelectedRows")), &QAction::changed, this, [&] {
        if (m_window->action(QStringLiteral("learnSelectedRows"))->text() == QLatin1String("Stop")) {
            sawCapturing = true;
            QVERIFY(!m_window->action(QStringLiteral("newDocument"))->isEnabled());
            QVERIFY(!m_window->grid().isEnabled());
            QVERIFY(m_window->action(QStringLiteral("learnSelectedRows"))->isEnabled());
        }
    });
    m_window->action(QStringLiteral("learnSelectedRows"))->trigger();

    QVERIFY(sawCapturing);
    QCOMPARE(m_window->action(QStringLiteral("learnSelectedRows"))->text(), QStringLiteral("IR Learn"));
    QVERIFY(m_window->action(QStringLiteral("newDocument"))->isEnabled());
    QVERIFY(m_window->grid().isEnabled());
    QCOMPARE(m_window->table().recNo(), 3);
    QCOMPARE(m_window->table().fieldText(QStringLiteral("Format")), QStringLiteral("Normal"));
    QVERIFY(!m_window->table().fieldText(QStringLiteral("Carry")).isEmpty());
    QCOMPARE(m_window->table().fieldText(QStringLiteral("Function")), QStringLiteral("POWER"));
    QVERIFY(m_window->isModified());
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
    m_window->action(QStringLiteral("learnSelectedRows"))->trigger();
    for (int i : {1, 2, 3, 4, 6, 7})
        m_window->irPortBox(i)->click(); // ports 0 and 5 stay ticked
    QCOMPARE(m_window->irPortMask(), 0x21);

    int polls = 0;
    QList<int> redWhileHeld;
    m_window->setLeftButtonState([&] {
        if (polls++ == 0) {
            for (int i = 0; i < 8; ++i) {
                if (m_window->irPortLamp(i)->color() == PortLamp::Sending)
                    redWhileHeld.append(i);
            }
        }
        return polls < 4;
    });
    QTest::qWait(50); // the module reads the learn run's closing ESC
    m_module->clearJournal();
    emit m_window->grid().sendStripPressed();

    QCOMPARE(redWhileHeld, (QList<int>{0, 5}));
    for (int i = 0; i < 8; ++i)
        QCOMPARE(m_window->irPortLamp(i)->color(), PortLamp::Rest);
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
    m_window->setLeftButtonState([] { return false; });
    m_module->clearJournal();
    emit m_window->grid().sendStripPressed();
    QTest::qWait(100);
    QVERIFY(m_module->journal().frames.isEmpty());
    QVERIFY(m_prompt.asked().isEmpty());
    for (int i = 0; i < 8; ++i)
        QCOMPARE(m_window->irPortLamp(i)->color(), PortLamp::Rest);
}

void TestMainWindow::rightPressNeverReachesGrid()
{
    startWindow();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    CodeGrid &grid = m_window->grid();
    m_window->table().setRecNo(2);
    grid.addRowToSelection(4);
    const QRect rowRect = grid.visualRect(grid.model()->index(9, 1));
    QTest::mousePress(grid.viewport(), Qt::RightButton, {}, rowRect.center());
    QTest::mouseRelease(grid.viewport(), Qt::RightButton, {}, rowRect.center());
    QCOMPARE(m_window->table().recNo(), 2);
    QCOMPARE(grid.selectedRows(), (QList<int>{4}));
    // A left press still moves the current row.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, rowRect.center());
    QCOMPARE(m_window->table().recNo(), 10);
}

void TestMainWindow::insertDeleteAndRename()
{
    startWindow();
    m_window->table().setRecNo(10);
    answerNextDialog(QStringLiteral("VOL+"));
    m_window->documentCommands().renameKey();
    QCOMPARE(m_window->table().fieldText(QStringLiteral("Function")), QStringLiteral("VOL+"));
    QCOMPARE(IrBlock::fromField(m_window->table().irData()).nameBytes(), QByteArray("VOL+"));
    // A renamed empty slot stays empty.
    QVERIFY(m_window->table().fieldText(QStringLiteral("Carry")).isEmpty());

    m_window->action(QStringLiteral("insertRow"))->trigger();
    QCOMPARE(m_window->table().recNo(), 10);
    QVERIFY(m_window->table().fieldText(QStringLiteral("Function")).isEmpty());
    m_window->table().setRecNo(11);
    QCOMPARE(m_window->table().fieldText(QStringLiteral("Function")), QStringLiteral("VOL+"));

    m_window->table().setRecNo(10);
    m_prompt.queueAnswer(Answer::No);
    m_window->action(QStringLiteral("deleteRow"))->trigger();
    m_window->table().setRecNo(11);
    QCOMPARE(m_window->table().fieldText(QStringLiteral("Function")), QStringLiteral("VOL+"));
    m_window->table().setRecNo(10);
    m_prompt.queueAnswer(Answer::Yes);
    m_window->action(QStringLiteral("deleteRow"))->trigger();
    QCOMPARE(m_window->table().recNo(), 10);
    QCOMPARE(m_window->table().fieldText(QStringLiteral("Function")), QStringLiteral("VOL+"));
    QCOMPARE(m_prompt.texts(), (QStringList{QStringLiteral("Really delete IR data in selection items?"),
                                            QStringLiteral("Really delete IR data in selection items?")}));
}

void TestMainWindow::insertAsksBeforePushingOutLastRow_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cur");
    QTest::addColumn<QString>("lastRow"); // "signal" (named Power), "remark" or "empty"
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("question"); // empty: none is asked
    QTest::addColumn<bool>("inserted");

    const QString power = QStringLiteral("Row 512 'Power' will be pushed out. Insert anyway?");
    QTest::newRow("named signal, Yes") << 512 << 10 << QStringLiteral("signal") << Answer::Yes << power << true;
    QTest::newRow("named signal, No") << 512 << 10 << QStringLiteral("signal") << Answer::No << power << false;
    QTest::newRow("remark only") << 512 << 10 << QStringLiteral("remark") << Answer::Yes
                                 << QStringLiteral("Row 512 will be pushed out. Insert anyway?") << true;
    QTest::newRow("empty last row") << 512 << 10 << QStringLiteral("empty") << Answer::Yes << QString() << true;
    QTest::newRow("on the last row") << 512 << 512 << QStringLiteral("signal") << Answer::Yes << power << true;
    QTest::newRow("300-row document") << 300 << 10 << QStringLiteral("signal") << Answer::Yes
                                      << QStringLiteral("Row 300 'Power' will be pushed out. Insert anyway?") << true;
}

void TestMainWindow::insertAsksBeforePushingOutLastRow()
{
    QFETCH(int, rows);
    QFETCH(int, cur);
    QFETCH(QString, lastRow);
    QFETCH(Answer, answer);
    QFETCH(QString, question);
    QFETCH(bool, inserted);
    startWindow();
    if (rows != 512) {
        const QString path = m_dir->filePath(QStringLiteral("short.zoq"));
        TestDocument::write(path, rows, TestDocument::Content::Template);
        m_prompt.queueFileName(path);
        m_window->action(QStringLiteral("openDocument"))->trigger();
        QCOMPARE(m_window->table().recordCount(), rows);
    }
    CodeTable &table = m_window->table();
    table.setRecNo(rows);
    table.edit();
    if (lastRow == QLatin1String("signal")) {
        IrBlock block;
        block.set(0, 'r');
        block.setNameBytes("Power");
        table.setField(QStringLiteral("IR Data"), block.toByteArray());
    } else if (lastRow == QLatin1String("remark")) {
        table.setField(QStringLiteral("Remark"), QStringLiteral("kept"));
    }
    table.post();
    table.setRecNo(cur);
    table.edit();
    table.setField(QStringLiteral("Remark"), QStringLiteral("here"));
    table.post();

    if (!question.isEmpty())
        m_prompt.queueAnswer(answer);
    m_window->action(QStringLiteral("insertRow"))->trigger();

    QCOMPARE(m_prompt.texts(), question.isEmpty() ? QStringList() : QStringList{question});
    if (!question.isEmpty())
        QCOMPARE(m_prompt.asked().last().title, QStringLiteral("ZOQ V2.1-20091015"));
    QCOMPARE(table.recNo(), cur);
    QCOMPARE(table.fieldText(QStringLiteral("Remark")).isEmpty(), inserted);
}

void TestMainWindow::renameAndRemarkKeepLongerTexts_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::newRow("15-character name") << QStringLiteral("Function") << QStringLiteral("CHANNEL-UP-LONG");
    QTest::newRow("120-character remark") << QStringLiteral("Remark") << QString(120, u'r');
}

void TestMainWindow::renameAndRemarkKeepLongerTexts()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    startWindow();
    m_window->table().setRecNo(4);
    m_window->table().edit();
    if (field == QLatin1String("Function")) {
        IrBlock block;
        block.setNameBytes(text.toLatin1());
        m_window->table().setField(QStringLiteral("IR Data"), block.toByteArray());
    }
    m_window->table().setField(field, text);
    m_window->table().post();
    QCOMPARE(m_window->table().fieldText(field), text);

    // Enter with the text as it was given.
    QTimer::singleShot(0, [] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        QTest::keyClick(dialog->findChild<QLineEdit *>(), Qt::Key_Return);
    });
    emit m_window->grid().fieldDoubleClicked(field);
    QCOMPARE(m_window->table().fieldText(field), text);
    if (field == QLatin1String("Function"))
        QCOMPARE(IrBlock::fromField(m_window->table().irData()).nameBytes(), text.toLatin1());
}

void TestMainWindow::copyPasteAndSelectAll()
{
    startWindow();
    for (int row : {3, 5, 10}) {
        m_window->table().setRecNo(row);
        m_window->table().edit();
        m_window->table().setField(QStringLiteral("Remark"), QStringLiteral("r%1").arg(row));
        m_window->table().post();
    }
    CodeGrid &grid = m_window->grid();
    grid.clearSelection();
    for (int row : {3, 10, 5})
        grid.addRowToSelection(row);
    m_window->action(QStringLiteral("copyRows"))->trigger();
    QCOMPARE(m_window->table().recNo(), 10);
    QVERIFY(m_window->action(QStringLiteral("pasteRows"))->isEnabled());

    m_window->table().setRecNo(20);
    m_window->action(QStringLiteral("pasteRows"))->trigger();
    QCOMPARE(grid.selectedRows(), (QList<int>{20, 21, 22}));
    QCOMPARE(m_window->table().recNo(), 22);
    QCOMPARE(m_window->table().fieldText(QStringLiteral("Remark")), QStringLiteral("r10"));

    // The row clipboard survives New.
    m_prompt.queueAnswer(Answer::No);
    m_window->action(QStringLiteral("newDocument"))->trigger();
    QVERIFY(m_window->action(QStringLiteral("pasteRows"))->isEnabled());

    m_window->action(QStringLiteral("selectAllRows"))->trigger();
    QCOMPARE(grid.selectedRows().size(), 512);
    QCOMPARE(m_window->table().recNo(), 512);
}

void TestMainWindow::goToMessages()
{
    startWindow();
    const auto goTo = [this](const QString &text) {
        answerNextDialog(text);
        m_window->action(QStringLiteral("goToRow"))->trigger();
    };
    goTo(QStringLiteral("12"));
    QCOMPARE(m_window->table().recNo(), 12);
    goTo(QStringLiteral("-5"));
    QCOMPARE(m_window->table().recNo(), 1);
    goTo(QStringLiteral("abc"));
    QCOMPARE(m_prompt.texts().last(), QStringLiteral("'abc' is not a valid integer value"));
    goTo(QStringLiteral("513"));
    QCOMPARE(m_prompt.asked().size(), 2);
    QCOMPARE(m_window->table().recNo(), 1);

    m_window->table().setRecNo(40);
    m_window->table().edit();
    m_window->table().setField(QStringLiteral("IR Data"), [] {
        IrBlock block;
        block.setNameBytes("MUTE");
        return block.toByteArray();
    }());
    m_window->table().post();
    m_window->table().setRecNo(1);
    m_window->goToDialog().functionButton()->setChecked(true);
    goTo(QStringLiteral("mute"));
    QCOMPARE(m_window->table().recNo(), 40);
    goTo(QStringLiteral("mu"));
    QCOMPARE(m_prompt.texts().last(), QStringLiteral("Not found mu!"));
    QCOMPARE(m_window->table().recNo(), 40);
}

void TestMainWindow::compileImportRoundTrip()
{
    startWindow();
    m_window->action(QStringLiteral("learnSelectedRows"))->trigger();
    const QByteArray learned = m_window->table().irData();
    QCOMPARE(learned.at(0), 'r');

    m_prompt.queueFileName(m_dir->filePath(QStringLiteral("codes")));
    m_window->action(QStringLiteral("compileImage"))->trigger();
    const QByteArray image = readFile(m_dir->filePath(QStringLiteral("codes.bin")));
    QCOMPARE(image.size(), EepromImage::Size);
    QCOMPARE(image.left(512), learned);

    m_prompt.queueFileName(m_dir->filePath(QStringLiteral("codes.bin")));
    m_prompt.queueAnswer(Answer::No); // the open's save prompt
    m_prompt.queueAnswer(Answer::No); // asked again by New
    m_window->action(QStringLiteral("openDocument"))->trigger();
    QCOMPARE(m_window->documentPath(), m_dir->filePath(QStringLiteral("Temp.~tmp")));
    QVERIFY(m_window->isModified());
    QCOMPARE(m_window->table().recNo(), 1);
    QByteArray expected = learned;
    expected[255] = 0;
    QCOMPARE(m_window->table().irData(), expected);
    QCOMPARE(m_window->table().fieldText(QStringLiteral("Format")), QStringLiteral("Normal"));
}

void TestMainWindow::downloadThenUploadThroughTheModule()
{
    startWindow();
    m_window->action(QStringLiteral("learnSelectedRows"))->trigger();
    m_window->table().setRecNo(512);
    m_window->table().edit();
    m_window->table().setField(QStringLiteral("Remark"), QStringLiteral("last"));
    m_window->table().post();

    m_prompt.queueAnswer(Answer::Yes);
    m_window->action(QStringLiteral("downloadToModule"))->trigger();
    QCOMPARE(m_prompt.texts().last(), QStringLiteral("Download completed."));
    const QString compiled = m_dir->filePath(QStringLiteral("check.bin"));
    writeImageFile(m_window->table(), compiled);
    QCOMPARE(m_module->eeprom(), readFile(compiled));
    QCOMPARE(m_window->link().baudRate(), SerialLink::NormalBaudrate);
    QVERIFY(!m_window->progressDialog().isVisible());
    QVERIFY(m_window->grid().isEnabled());

    // Upload into a fresh document brings the slots back.
    m_prompt.queueAnswer(Answer::No);
    m_window->action(QStringLiteral("newDocument"))->trigger();
    m_prompt.queueAnswer(Answer::Yes);
    m_window->action(QStringLiteral("uploadFromModule"))->trigger();
    QCOMPARE(m_prompt.texts().last(), QStringLiteral("Upload completed."));
    QCOMPARE(m_window->table().recNo(), 1);
    QCOMPARE(m_window->table().fieldText(QStringLiteral("Format")), QStringLiteral("Normal"));
    m_window->table().setRecNo(2);
    QCOMPARE(m_window->table().irData(), QByteArray(512, '\0'));
    QVERIFY(m_window->isModified());
    QCOMPARE(m_window->link().baudRate(), SerialLink::NormalBaudrate);
}

void TestMainWindow::shortImageIsRefusedBeforeReplacingDocument()
{
    startWindow();
    m_window->table().edit();
    m_window->table().setField(QStringLiteral("Remark"), QStringLiteral("mine"));
    m_window->table().post();
    const QString shortImage = m_dir->filePath(QStringLiteral("short.BIN"));
    QFile file(shortImage);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1000, '\x11'));
    file.close();

    m_prompt.queueAnswer(Answer::No);
    m_prompt.queueFileName(shortImage);
    m_window->action(QStringLiteral("openDocument"))->trigger();
    QCOMPARE(m_prompt.asked().last().kind, QStringLiteral("notice"));
    QVERIFY(m_window->isModified());
    QCOMPARE(m_window->table().fieldText(QStringLiteral("Remark")), QStringLiteral("mine"));
}

void TestMainWindow::nameOutsideLatin1IsRefused()
{
    startWindow();
    m_window->table().setRecNo(3);
    answerNextDialog(QStringLiteral("TV\u7535\u6E90"));
    m_window->documentCommands().renameKey();
    QCOMPARE(m_prompt.texts(),
             QStringList{QStringLiteral("The character '\u7535' cannot be stored in a key name in Latin-1.")});
    QCOMPARE(m_window->table().irData(), QByteArray(512, '\0'));
    QCOMPARE(m_window->table().fieldText(QStringLiteral("Function")), QString());
    QVERIFY(!m_window->isModified());
}

void TestMainWindow::gbkNamesThroughRenameLearnAndRestart()
{
    const QString power = QStringLiteral("\u7535\u6E90");
    const QByteArray powerField = QByteArray::fromHex("B5E7D4B400");
    startWindow();
    QVERIFY(m_window->action(QStringLiteral("nameEncodingLatin1"))->isChecked());
    m_window->action(QStringLiteral("nameEncodingGbk"))->trigger();
    QCOMPARE(readFile(m_window->namesPath()), QByteArray("[NAMES]\r\nENCODING=GBK\r\n"));

    m_window->table().setRecNo(3);
    answerNextDialog(power);
    m_window->documentCommands().renameKey();
    QCOMPARE(m_window->table().irData().mid(240, 5), powerField);
    QCOMPARE(m_window->table().fieldText(QStringLiteral("Function")), power);

    m_window->action(QStringLiteral("learnSelectedRows"))->trigger();
    QCOMPARE(m_window->table().fieldText(QStringLiteral("Format")), QStringLiteral("Normal"));
    QCOMPARE(m_window->table().irData().mid(240, 5), powerField);
    QCOMPARE(m_window->table().fieldText(QStringLiteral("Function")), power);

    // Latin-1 shows the same bytes its own way; the document does not change.
    m_window->action(QStringLiteral("nameEncodingLatin1"))->trigger();
    const QModelIndex cell = m_window->table().index(2, m_window->table().fieldIndex(QStringLiteral("Function")));
    QCOMPARE(cell.data().toString(), QStringLiteral("\u00B5\u00E7\u00D4\u00B4"));
    QCOMPARE(m_window->table().fieldText(QStringLiteral("Function")), power);

    // The choice is kept apart from ZOQ.ini and read back at the next start.
    m_window->action(QStringLiteral("nameEncodingGbk"))->trigger();
    m_prompt.queueAnswer(Answer::No);
    QVERIFY(m_window->close());
    const QByteArray settings = readFile(m_dir->filePath(QStringLiteral("ZOQ.ini")));
    QCOMPARE(settings.count("\r\n"), 11);
    QVERIFY(!settings.contains("GBK"));
    m_window.reset();
    startWindow();
    QVERIFY(m_window->action(QStringLiteral("nameEncodingGbk"))->isChecked());
    QCOMPARE(m_window->table().nameEncoding().kind(), NameEncoding::Kind::Gbk);
    QVERIFY(m_prompt.unexpected().isEmpty());
}

void TestMainWindow::unchangedNameKeepsItsBytes()
{
    startWindow();
    m_window->action(QStringLiteral("nameEncodingGbk"))->trigger();
    IrBlock block;
    block.setNameBytes("A\xB5"); // a lead byte with nothing after it
    m_window->table().setRecNo(4);
    m_window->table().edit();
    m_window->table().setField(QStringLiteral("IR Data"), block.toByteArray());
    m_window->table().post();
    const QString shown = m_window->table().functionName(3);
    QCOMPARE(shown, QStringLiteral("A\uFFFD"));

    answerNextDialog(shown);
    m_window->documentCommands().renameKey();
    QCOMPARE(m_window->table().irData(), block.toByteArray());
    QVERIFY(m_prompt.asked().isEmpty());

    answerNextDialog(shown + u'X');
    m_window->documentCommands().renameKey();
    QCOMPARE(m_prompt.texts(),
             QStringList{QStringLiteral("The character '\uFFFD' cannot be stored in a key name in GBK.")});
    QCOMPARE(m_window->table().irData(), block.toByteArray());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
