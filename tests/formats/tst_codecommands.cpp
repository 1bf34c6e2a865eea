#include "core/document/CodeTable.h"
#include "core/signal/IrDecoder.h"
#include "core/signal/IrEncoder.h"
#include "gui/grid/CodeGrid.h"
#include "gui/mainwindow/MainWindow.h"
#include "modsim/ModuleSimulator.h"
#include "support/ScriptedPrompt.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using Answer = Prompt::Answer;

namespace {

const QByteArray FlipperFile =
    "Filetype: IR signals file\nVersion: 1\n"
    "#\nname: Power\ntype: parsed\nprotocol: NEC\naddress: 04 00 00 00\ncommand: 08 00 00 00\n"
    "#\nname: Mute\ntype: parsed\nprotocol: RC5\naddress: 05 00 00 00\ncommand: 0D 00 00 00\n"
    "#\nname: Input\ntype: parsed\nprotocol: SIRC\naddress: 01 00 00 00\ncommand: 25 00 00 00\n";

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestCodeCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void gridMenuOffersImportAndExport();
    void importAsksOnceBeforeOverwritingLearnedRows();
    void importOfAFileNotOfTheFormatChangesNothing();
    void importIntoSelectedRows();
    void exportWritesTheRowsHoldingASignal();
    void exportTakesTheFormatFromTheExtension();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void writeFile(const QString &name, const QByteArray &bytes) const;
    void learnInto(int row, const IrCode &code);
    QByteArray blockAt(int row) const { return m_window->table().irDataAt(row - 1); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ModuleSimulator> m_module;
    ScriptedPrompt m_prompt;
    std::unique_ptr<MainWindow> m_window;
};

void TestCodeCommands::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_prompt.clear();
    m_module = std::make_unique<ModuleSimulator>();
    QVERIFY(m_module->open(path(QStringLiteral("COM1"))));
    m_window = std::make_unique<MainWindow>(m_prompt, m_dir->path());
    m_window->start();
    m_window->show();
    QVERIFY(m_prompt.asked().isEmpty());
}

void TestCodeCommands::cleanup()
{
    m_window.reset();
    m_module.reset();
    m_dir.reset();
}

void TestCodeCommands::writeFile(const QString &name, const QByteArray &bytes) const
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestCodeCommands::learnInto(int row, const IrCode &code)
{
    CodeTable &table = m_window->table();
    table.setRecNo(row);
    table.edit();
    table.setField(QStringLiteral("IR Data"), IrEncoder::block(code).value().toByteArray());
    table.post();
}

void TestCodeCommands::gridMenuOffersImportAndExport()
{
    auto *menu = m_window->findChild<QMenu *>(QStringLiteral("gridMenu"));
    QVERIFY(menu);
    QStringList captions;
    for (const QAction *action : menu->actions())
        captions.append(action->text());
    QVERIFY(captions.contains(QStringLiteral("Import codes...")));
    QVERIFY(captions.contains(QStringLiteral("Export codes...")));
    QVERIFY(m_window->action(QStringLiteral("importCodes"))->isEnabled());
    QVERIFY(m_window->action(QStringLiteral("exportCodes"))->isEnabled());
}

void TestCodeCommands::importAsksOnceBeforeOverwritingLearnedRows()
{
    writeFile(QStringLiteral("remote.ir"), FlipperFile);
    learnInto(3, {IrProtocol::Samsung32, 7, 2});
    const QByteArray learned = blockAt(3);
    m_window->table().setRecNo(2);
    const QString question =
        QStringLiteral("1 of the rows to be written holds a learned signal (row 3). Overwrite it?");

    m_prompt.clear();
    m_prompt.queueFileName(path(QStringLiteral("remote.ir")));
    m_prompt.queueAnswer(Answer::No);
    m_window->action(QStringLiteral("importCodes"))->trigger();
    QCOMPARE(m_prompt.texts(), QStringList{question});
    QCOMPARE(blockAt(3), learned);
    QCOMPARE(blockAt(2), QByteArray(512, '\0'));

    m_prompt.clear();
    m_prompt.queueFileName(path(QStringLiteral("remote.ir")));
    m_prompt.queueAnswer(Answer::Yes);
    m_window->action(QStringLiteral("importCodes"))->trigger();
    QVERIFY(m_prompt.allAnswersUsed());
    QCOMPARE(m_prompt.texts().size(), 2);
    QCOMPARE(m_prompt.texts().first(), question);
    QVERIFY(m_prompt.texts().last().startsWith(QStringLiteral("3 codes of \"")));
    QCOMPARE(IrDecoder::summary(IrBlock::fromField(blockAt(2))), QStringLiteral("NEC 0x04 0x08"));
    QCOMPARE(IrDecoder::summary(IrBlock::fromField(blockAt(3))), QStringLiteral("RC5 0x05 0x0D"));
    QCOMPARE(m_window->table().functionName(3), QStringLiteral("Input"));
    QCOMPARE(m_window->grid().selectedRows(), (QList<int>{2, 3, 4}));
    QCOMPARE(m_window->table().recNo(), 2);
    QVERIFY(m_window->isModified());
}

void TestCodeCommands::importOfAFileNotOfTheFormatChangesNothing()
{
    writeFile(QStringLiteral("broken.ir"),
              "Filetype: IR signals file\nVersion: 1\nname: A\ntype: parsed\nprotocol: NEC\n");
    m_prompt.queueFileName(path(QStringLiteral("broken.ir")));
    m_window->action(QStringLiteral("importCodes"))->trigger();
    QCOMPARE(m_prompt.texts(),
             QStringList{QStringLiteral("\"%1\" cannot be read as Flipper IR: line 3: signal 'A' has no 'address' "
                                        "(the file may be cut short).")
                             .arg(QDir::toNativeSeparators(path(QStringLiteral("broken.ir"))))});
    QCOMPARE(blockAt(1), QByteArray(512, '\0'));
    QVERIFY(!m_window->isModified());
}

void TestCodeCommands::importIntoSelectedRows()
{
    writeFile(QStringLiteral("remote.ir"), FlipperFile);
    CodeGrid &grid = m_window->grid();
    grid.clearSelection();
    for (const int row : {10, 20})
        grid.addRowToSelection(row);
    m_prompt.queueFileName(path(QStringLiteral("remote.ir")));
    m_window->action(QStringLiteral("importCodes"))->trigger();
    QCOMPARE(m_window->table().functionName(9), QStringLiteral("Power"));
    QCOMPARE(m_window->table().functionName(19), QStringLiteral("Mute"));
    QCOMPARE(blockAt(11), QByteArray(512, '\0'));
    QVERIFY(m_prompt.texts().last().endsWith(QStringLiteral("line 16 'Input': no selected row left")));

    // The whole import is one step: one undo takes every imported code back.
    QCOMPARE(m_window->action(QStringLiteral("undoChange"))->text(), QStringLiteral("Undo Import codes"));
    m_window->action(QStringLiteral("undoChange"))->trigger();
    QCOMPARE(blockAt(10), QByteArray(512, '\0'));
    QCOMPARE(blockAt(20), QByteArray(512, '\0'));
    QVERIFY(!m_window->isModified());
}

void TestCodeCommands::exportWritesTheRowsHoldingASignal()
{
    learnInto(4, {IrProtocol::Nec, 4, 8});
    learnInto(9, {IrProtocol::Rc5, 5, 13});
    m_window->grid().clearSelection();
    const QString target = path(QStringLiteral("out.ir"));
    m_prompt.queueFileName(target);
    m_window->action(QStringLiteral("exportCodes"))->trigger();
    QCOMPARE(
        m_prompt.texts(),
        QStringList{QStringLiteral("2 keys written to \"%1\" (Flipper IR).").arg(QDir::toNativeSeparators(target))});
    const QByteArray written = fileBytes(target);
    QVERIFY(written.startsWith("Filetype: IR signals file\nVersion: 1\n"));
    QVERIFY(written.contains("protocol: NEC\naddress: 04 00 00 00\ncommand: 08 00 00 00\n"));
    QVERIFY(written.contains("protocol: RC5\naddress: 05 00 00 00\ncommand: 0D 00 00 00\n"));

    // An existing file is replaced only after the question.
    m_prompt.clear();
    m_prompt.queueFileName(target);
    m_prompt.queueAnswer(Answer::No);
    m_window->action(QStringLiteral("exportCodes"))->trigger();
    QCOMPARE(m_prompt.texts(), QStringList{QStringLiteral("File already exist.Replace?")});
    QCOMPARE(fileBytes(target), written);
}

void TestCodeCommands::exportTakesTheFormatFromTheExtension()
{
    learnInto(4, {IrProtocol::Nec, 4, 8});
    learnInto(9, {IrProtocol::Rc5, 5, 13});
    m_window->table().setRecNo(9);

    m_prompt.queueFileName(path(QStringLiteral("codes")));
    m_window->action(QStringLiteral("exportCodes"))->trigger();
    QVERIFY(m_prompt.texts().last().startsWith(
        QStringLiteral("The file name tells the format by its extension: .txt (Pronto Hex)")));
    QVERIFY(!QFile::exists(path(QStringLiteral("codes"))));

    // mode2 holds the current row only.
    m_prompt.clear();
    m_prompt.queueFileName(path(QStringLiteral("key.mode2")));
    m_window->action(QStringLiteral("exportCodes"))->trigger();
    QVERIFY(m_prompt.texts().last().startsWith(QStringLiteral("1 key written to")));
    QVERIFY(fileBytes(path(QStringLiteral("key.mode2"))).startsWith("# ZOQ timing: repeat"));
}

QTEST_MAIN(TestCodeCommands)
#include "tst_codecommands.moc"
