#include "gui/mainwindow/MainWindow.h"
#include "gui/mainwindow/ModuleCommands.h"
#include "gui/mainwindow/PortLamp.h"
#include "core/common/FileLocations.h"
#include "core/device/SerialLink.h"
#include "core/document/CodeTable.h"
#include "core/document/DocumentStore.h"
#include "core/settings/PortAssignments.h"
#include "core/signal/IrBlock.h"
#include "gui/dialogs/SerialPortsDialog.h"
#include "gui/dialogs/TransferProgressDialog.h"
#include "gui/grid/CodeGrid.h"
#include "WindowTestCase.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

using Answer = Prompt::Answer;

enum class Exchange { Learn, Send, Download, Upload };
Q_DECLARE_METATYPE(Exchange)

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray namedBlock(const QString &name)
{
    IrBlock block;
    block.set(0, 'r');
    block.setNameBytes(name.toLatin1());
    return block.toByteArray();
}

} // namespace

// The main window and its serial port: which device a COM item is, the
// per-user file locations, an adapter pulled out during an exchange, and
// the document named on the command line.
class TestMainWindowPorts : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void portPanelShowsDevice();
    void assignedDeviceOpensAndReopensWhenChanged();
    void serialPortsDialogFromTheButton();
    void perUserLocationsKeepEveryFile();
    void unplugEndsExchange_data();
    void unplugEndsExchange();
    void writeReopensAdapterPluggedInAgain();
    void documentOnCommandLineOpens_data();
    void documentOnCommandLineOpens();

private:
    [[nodiscard]] QString openErrorAbout(const QString &linkPath) const;

};

void TestMainWindowPorts::init()
{
    QVERIFY(openFolderAndModule());
}

void TestMainWindowPorts::cleanup()
{
    closeAll();
}

// The box after a write found the module's link leading nowhere.
QString TestMainWindowPorts::openErrorAbout(const QString &linkPath) const
{
    return QStringLiteral("Error opening serial port!\nThere is no device at %1 (a link to ").arg(linkPath);
}

void TestMainWindowPorts::portPanelShowsDevice()
{
    startWindow();
    QCOMPARE(m_window->statusText(1), QStringLiteral("COM1 (%1)").arg(m_module->slavePath()));
    QCOMPARE(m_window->portBox()->count(), 9);
    m_window->portBox()->setCurrentIndex(8);
    emit m_window->portBox()->activated(8);
    QCOMPARE(m_window->statusText(1), QStringLiteral("No port"));
}

// COM3 has no link: its assigned device opens, and a new assignment of the
// chosen port opens the new device at once.
void TestMainWindowPorts::assignedDeviceOpensAndReopensWhenChanged()
{
    ModuleSimulator first;
    ModuleSimulator second;
    QVERIFY(first.open());
    QVERIFY(second.open());
    startWindow();

    PortAssignments assignments;
    assignments.assign(3, first.slavePath());
    m_window->assignPorts(assignments); // COM1 stays chosen: nothing reopens
    QCOMPARE(m_window->statusText(1), QStringLiteral("COM1 (%1)").arg(m_module->slavePath()));
    QCOMPARE(PortAssignments::read(m_window->portAssignmentsPath()), assignments);

    m_window->portBox()->setCurrentIndex(2);
    emit m_window->portBox()->activated(2);
    QCOMPARE(m_window->statusText(1), QStringLiteral("COM3 (%1)").arg(first.slavePath()));

    assignments.assign(3, second.slavePath());
    m_window->assignPorts(assignments);
    QCOMPARE(m_window->statusText(1), QStringLiteral("COM3 (%1)").arg(second.slavePath()));
    QCOMPARE(m_window->link().devicePath(), second.slavePath());
    QVERIFY(m_prompt.asked().isEmpty());
}

void TestMainWindowPorts::serialPortsDialogFromTheButton()
{
    startWindow();
    PortAssignments assignments;
    assignments.assign(5, QStringLiteral("/dev/serial/by-id/usb-gone-if00"));
    m_window->assignPorts(assignments);

    QString nowOfCom1;
    QTimer::singleShot(0, this, [&nowOfCom1] {
        auto *dialog = qobject_cast<SerialPortsDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        nowOfCom1 = dialog->nowLabel(1)->text();
        QCOMPARE(dialog->assignmentBox(5)->currentData().toString(), QStringLiteral("/dev/serial/by-id/usb-gone-if00"));
        dialog->assignmentBox(5)->setCurrentIndex(0); // "(none)"
        dialog->accept();
    });
    m_window->findChild<QToolButton *>(QStringLiteral("serialPortsButton"))->click();

    QCOMPARE(nowOfCom1, QStringLiteral("now: %1 (link %2)").arg(m_module->slavePath(), m_module->linkPath()));
    QVERIFY(PortAssignments::read(m_window->portAssignmentsPath()).isEmpty());
    QCOMPARE(readFile(m_window->portAssignmentsPath()), QByteArray("[PORTS]\r\n"));
}

// An installed program keeps every file in the user's folders, and finds
// COMn links in the config folder.
void TestMainWindowPorts::perUserLocationsKeepEveryFile()
{
    const QString configHome = m_dir->filePath(QStringLiteral("config"));
    const QString dataHome = m_dir->filePath(QStringLiteral("data"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
    const auto restore = qScopeGuard([] {
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_DATA_HOME");
    });
    const QString programDir = m_dir->filePath(QStringLiteral("program"));
    QVERIFY(QDir().mkpath(programDir));
    const FileLocations locations = FileLocations::perUser(programDir);
    const QString configDir = QDir(configHome).filePath(QStringLiteral("zoq"));
    const QString dataDir = QDir(dataHome).filePath(QStringLiteral("zoq"));
    QCOMPARE(locations.configDir(), configDir);
    QCOMPARE(locations.dataDir(), dataDir);
    QCOMPARE(locations.linkFolders(), (QStringList{programDir, configDir}));

    QVERIFY(QDir().mkpath(configDir));
    ModuleSimulator userModule;
    QVERIFY(userModule.open(QDir(configDir).filePath(QStringLiteral("COM1"))));
    m_window = std::make_unique<MainWindow>(m_prompt, locations);
    m_window->start();

    QCOMPARE(m_window->statusText(1), QStringLiteral("COM1 (%1)").arg(userModule.slavePath()));
    QCOMPARE(m_window->documentPath(), QDir(dataDir).filePath(QStringLiteral("Temp.~tmp")));
    QVERIFY(QFile::exists(m_window->documentPath()));
    m_window->chooseNameEncoding(NameEncoding::Kind::Gbk);
    PortAssignments assignments;
    assignments.assign(2, QStringLiteral("/dev/ttyACM0"));
    m_window->assignPorts(assignments);
    QVERIFY(m_window->close());

    for (const char *name : {"ZOQ.ini", "ZOQ-names.ini", "ZOQ-ports.ini"})
        QVERIFY2(QFile::exists(QDir(configDir).filePath(QLatin1String(name))), name);
    QVERIFY(QDir(programDir).isEmpty());
    QVERIFY(m_prompt.asked().isEmpty());
}

void TestMainWindowPorts::unplugEndsExchange_data()
{
    QTest::addColumn<Exchange>("exchange");
    QTest::newRow("learn") << Exchange::Learn;
    QTest::newRow("held send") << Exchange::Send;
    QTest::newRow("download") << Exchange::Download;
    QTest::newRow("upload") << Exchange::Upload;
}

// The module's line vanishes in the middle of each exchange, as a USB
// adapter pulled out: the exchange ends with its error, the port panel says
// "No port", the lamps are grey, and no slot is stored half. Choosing COM1
// again once the module is back opens it.
void TestMainWindowPorts::unplugEndsExchange()
{
    QFETCH(Exchange, exchange);
    SimulatorSettings settings = m_module->settings();
    settings.captureDelayMs = 60'000; // the key never comes: only the unplug ends the learn
    m_module->setSettings(settings);
    QByteArray eeprom;
    for (int slot = 0; slot < 512; ++slot)
        eeprom += namedBlock(QStringLiteral("K%1").arg(slot));
    QVERIFY(m_module->setEeprom(eeprom));
    startWindow();
    const QString linkPath = m_module->linkPath();

    bool unplugged = false;
    const auto unplug = [this, &unplugged] {
        if (unplugged)
            return;
        unplugged = true;
        QTimer::singleShot(0, this, [this] { m_module->unplug(); });
    };
    // The window hears of the loss first: the lamps as it left them.
    QList<QColor> lampsAtLoss;
    connect(&m_window->moduleCommands(), &ModuleCommands::portLost, this, [this, &lampsAtLoss] {
        for (int i = 0; i < 8; ++i)
            lampsAtLoss.append(m_window->irPortLamp(i)->color());
    });
    int polls = 0;
    switch (exchange) {
    case Exchange::Learn:
        connect(m_window->action(QStringLiteral("learnSelectedRows")), &QAction::changed, this, [this, unplug] {
            if (m_window->action(QStringLiteral("learnSelectedRows"))->text() == QLatin1String("Stop"))
                unplug();
        });
        m_window->action(QStringLiteral("learnSelectedRows"))->trigger();
        break;
    case Exchange::Send: {
        CodeTable &table = m_window->table();
        table.edit();
        table.setField(QStringLiteral("IR Data"), namedBlock(QStringLiteral("ON")));
        table.post();
        m_window->setLeftButtonState([&] {
            unplug();
            return ++polls < 1000;
        });
        emit m_window->grid().sendStripPressed();
        break;
    }
    case Exchange::Download:
    case Exchange::Upload:
        connect(m_window->progressDialog().findChild<QProgressBar *>(), &QProgressBar::valueChanged, this,
                [unplug](int slot) {
                    if (slot == 10)
                        unplug();
                });
        m_prompt.queueAnswer(Answer::Yes);
        m_window->action(exchange == Exchange::Download ? QStringLiteral("downloadToModule")
                                                        : QStringLiteral("uploadFromModule"))
            ->trigger();
        break;
    }

    QVERIFY(unplugged);
    QVERIFY(!m_window->moduleCommands().exchangeRunning());
    QVERIFY(m_window->link().port() == nullptr);
    QCOMPARE(m_window->statusText(1), QStringLiteral("No port"));
    QCOMPARE(lampsAtLoss, QList<QColor>(8, PortLamp::Rest));
    for (int i = 0; i < 8; ++i)
        QCOMPARE(m_window->irPortLamp(i)->color(), PortLamp::Rest);
    QVERIFY(m_window->grid().isEnabled());
    const QStringList texts = m_prompt.texts();
    QVERIFY2(!texts.isEmpty() && texts.last().startsWith(openErrorAbout(linkPath)), qPrintable(texts.join(u'|')));

    CodeTable &table = m_window->table();
    switch (exchange) {
    case Exchange::Learn:
        QCOMPARE(table.recNo(), 1);
        QCOMPARE(table.irData(), QByteArray(512, '\0'));
        QVERIFY(!m_window->isModified());
        break;
    case Exchange::Send:
        QVERIFY(polls < 1000);
        break;
    case Exchange::Download:
        QVERIFY(texts.contains(QStringLiteral("No found IR device.Download failed!")));
        break;
    case Exchange::Upload: {
        QVERIFY(texts.contains(QStringLiteral("Time out,Upload failed!")));
        // Whole slots only: the rows of the slots that came, and none after them.
        int moved = 0;
        while (moved < 512) {
            table.setRecNo(moved + 1);
            if (table.fieldText(QStringLiteral("Function")).isEmpty())
                break;
            QCOMPARE(table.irData(), namedBlock(QStringLiteral("K%1").arg(moved)));
            ++moved;
        }
        QVERIFY(moved >= 11 && moved < 512);
        for (int row = moved + 1; row <= 512; ++row) {
            table.setRecNo(row);
            QCOMPARE(table.irData(), QByteArray(512, '\0'));
        }
        break;
    }
    }

    // The module is plugged in again; choosing COM1 opens it.
    m_module.reset();
    m_module = std::make_unique<ModuleSimulator>();
    QVERIFY(m_module->open(linkPath));
    m_window->portBox()->setCurrentIndex(0);
    emit m_window->portBox()->activated(0);
    QCOMPARE(m_window->statusText(1), QStringLiteral("COM1 (%1)").arg(m_module->slavePath()));
    QVERIFY(m_window->link().port() != nullptr);
}

// Without choosing the port again, the next frame's write reopens the
// module once it is back, and the port panel says so.
void TestMainWindowPorts::writeReopensAdapterPluggedInAgain()
{
    startWindow();
    const QString linkPath = m_module->linkPath();
    m_module->unplug();
    QTRY_COMPARE(m_window->statusText(1), QStringLiteral("No port"));
    m_module.reset();
    m_module = std::make_unique<ModuleSimulator>();
    QVERIFY(m_module->open(linkPath));

    m_window->moduleCommands().stopModule();
    QCOMPARE(m_window->statusText(1), QStringLiteral("COM1 (%1)").arg(m_module->slavePath()));
    QTRY_COMPARE(m_module->journal().frames.size(), 1);
    QVERIFY(m_prompt.asked().isEmpty());
}

void TestMainWindowPorts::documentOnCommandLineOpens_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("untitled"); // the file is imported into an untitled document
    QTest::newRow("document") << "codes.zoq" << false;
    QTest::newRow("image") << "codes.BIN" << true;
}

void TestMainWindowPorts::documentOnCommandLineOpens()
{
    QFETCH(QString, fileName);
    QFETCH(bool, untitled);
    const QString path = m_dir->filePath(fileName);
    if (untitled) {
        QByteArray image = namedBlock(QStringLiteral("FIRST"));
        image += QByteArray(512 * 511, char(0xFF));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(image);
    } else {
        DocumentStore::writeTemplate(path);
    }
    m_window = std::make_unique<MainWindow>(m_prompt, m_dir->path());
    m_window->start(path);

    QCOMPARE(m_window->documentPath(), untitled ? m_window->workingPath() : path);
    QCOMPARE(m_window->table().recordCount(), 512);
    m_window->table().setRecNo(1);
    QCOMPARE(m_window->table().fieldText(QStringLiteral("Function")), untitled ? QStringLiteral("FIRST") : QString());
    QVERIFY(m_prompt.asked().isEmpty());
}

QTEST_MAIN(TestMainWindowPorts)
#include "tst_mainwindowports.moc"
