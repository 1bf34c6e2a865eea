#include "core/document/CodeTable.h"
#include "core/document/Document.h"
#include "core/document/RowName.h"
#include "core/signal/IrDecoder.h"
#include "core/signal/IrEncoder.h"
#include "gui/dialogs/CodeFromProtocolDialog.h"
#include "gui/mainwindow/DocumentCommands.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/wave/WaveView.h"
#include "WindowTestCase.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using Answer = Prompt::Answer;

namespace {

IrBlock blockOf(IrProtocol protocol, quint32 address, quint32 command)
{
    IrCode code;
    code.protocol = protocol;
    code.address = address;
    code.command = command;
    return IrEncoder::block(code).value();
}

// A NEC block whose frame is broken in its middle: no decoder takes it.
IrBlock rawBlock()
{
    IrBlock block = blockOf(IrProtocol::Nec, 0x04, 0x08);
    const int offset = IrBlock::SymbolsOffset + 5; // symbol 10, low nibble
    block.set(offset, uchar((block.at(offset) & 0xF0) | block.symbol(0)));
    return block;
}

} // namespace

// The decode of the current row in the window, and new codes from protocol
// parameters through the dialog.
class TestCodeFromProtocol : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void decodeOfCurrentRowIsShown_data();
    void decodeOfCurrentRowIsShown();
    void actionHasItsOwnShortcutAndMenuItem();
    void toggleOnlyForProtocolsWithOne_data();
    void toggleOnlyForProtocolsWithOne();
    void codeGoesIntoRowKeepingItsName_data();
    void codeGoesIntoRowKeepingItsName();
    void codeThatCannotBeMadeLeavesRow();
    void previewShownThenPutBack_data();
    void previewShownThenPutBack();

private:
    void storeBlock(int row, const QByteArray &block);
    // Answers the dialog of the next "New code from protocol..." by setting
    // its fields, then OK (or Cancel), and triggers the action.
    void runDialog(const QString &protocol, const QString &address, const QString &command, bool toggle,
                   bool accept = true, const std::function<void()> &whileOpen = {});
    CodeFromProtocolDialog &dialog() const { return m_window->documentCommands().codeFromProtocolDialog(); }

};

void TestCodeFromProtocol::init()
{
    QVERIFY(openFolderAndModule());
    startWindow();
    QVERIFY(m_prompt.asked().isEmpty());
}

void TestCodeFromProtocol::cleanup()
{
    closeAll();
}

void TestCodeFromProtocol::storeBlock(int row, const QByteArray &block)
{
    CodeTable &table = m_window->table();
    table.setRecNo(row);
    table.edit();
    table.setField(QStringLiteral("IR Data"), block);
    table.post();
}

void TestCodeFromProtocol::runDialog(const QString &protocol, const QString &address, const QString &command,
                                     bool toggle, bool accept, const std::function<void()> &whileOpen)
{
    QTimer::singleShot(0, this, [=, this] {
        QVERIFY(QApplication::activeModalWidget() == &dialog());
        dialog().protocolBox()->setCurrentText(protocol);
        dialog().addressBox()->setText(address);
        dialog().commandBox()->setText(command);
        dialog().toggleBox()->setChecked(toggle);
        if (whileOpen)
            whileOpen();
        if (accept)
            dialog().okButton()->click();
        else
            dialog().reject();
    });
    m_window->action(QStringLiteral("newCodeFromProtocol"))->trigger();
}

void TestCodeFromProtocol::decodeOfCurrentRowIsShown_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QString>("expected");

    QTest::newRow("NEC") << blockOf(IrProtocol::Nec, 0x04, 0x08).toByteArray() << QStringLiteral("NEC 0x04 0x08");
    QTest::newRow("RC5 with both toggle values")
        << blockOf(IrProtocol::Rc5, 0x00, 0x0C).toByteArray() << QStringLiteral("RC5 0x00 0x0C");
    QTest::newRow("raw") << rawBlock().toByteArray() << QStringLiteral("raw ");
    QTest::newRow("empty") << QByteArray(512, '\0') << QString();
}

void TestCodeFromProtocol::decodeOfCurrentRowIsShown()
{
    QFETCH(QByteArray, block);
    QFETCH(QString, expected);
    storeBlock(7, block);
    CodeTable &table = m_window->table();

    QVERIFY(m_window->decodeText().startsWith(expected));
    QCOMPARE(m_window->decodeText().isEmpty(), expected.isEmpty());
    // Every cell of the row tells it in its tool tip, whichever row is current.
    table.setRecNo(1);
    QVERIFY(m_window->decodeText().isEmpty());
    for (int column = 0; column < table.columnCount(); ++column) {
        const QVariant tip = table.data(table.index(6, column), Qt::ToolTipRole);
        QCOMPARE(tip.isValid(), !expected.isEmpty());
        QVERIFY(tip.toString().startsWith(expected));
    }
    QVERIFY(!table.data(table.index(0, 0), Qt::ToolTipRole).isValid());
    table.setRecNo(7);
    QVERIFY(m_window->decodeText().startsWith(expected));
}

void TestCodeFromProtocol::actionHasItsOwnShortcutAndMenuItem()
{
    QAction *action = m_window->action(QStringLiteral("newCodeFromProtocol"));
    QVERIFY(action);
    QCOMPARE(action->text(), QStringLiteral("New code from protocol..."));
    QCOMPARE(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_K));
    for (const QAction *other : m_window->findChildren<QAction *>()) {
        if (other != action)
            QVERIFY2(other->shortcut() != action->shortcut(), qPrintable(other->objectName()));
    }
    const auto *menu = m_window->findChild<QMenu *>(QStringLiteral("gridMenu"));
    QVERIFY(menu && menu->actions().contains(action));
}

void TestCodeFromProtocol::toggleOnlyForProtocolsWithOne_data()
{
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<bool>("hasToggle");

    for (const IrProtocol protocol : allIrProtocols())
        QTest::newRow(qPrintable(irProtocolName(protocol))) << irProtocolName(protocol) << irProtocolInfo(protocol).hasToggle;
}

void TestCodeFromProtocol::toggleOnlyForProtocolsWithOne()
{
    QFETCH(QString, protocol);
    QFETCH(bool, hasToggle);
    CodeFromProtocolDialog &chooser = dialog();
    chooser.protocolBox()->setCurrentText(protocol);
    chooser.toggleBox()->setChecked(true);
    QCOMPARE(chooser.toggleBox()->isEnabled(), hasToggle);
    chooser.addressBox()->setText(QStringLiteral("1"));
    chooser.commandBox()->setText(QStringLiteral("0x41"));
    QCOMPARE(chooser.code()->toggle, hasToggle);
    chooser.commandBox()->setText(QStringLiteral("0x4G"));
    QVERIFY(!chooser.code());
    QVERIFY(!chooser.okButton()->isEnabled());
}

void TestCodeFromProtocol::codeGoesIntoRowKeepingItsName_data()
{
    QTest::addColumn<bool>("learned");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("written");

    QTest::newRow("empty row: no question") << false << Answer::No << true;
    QTest::newRow("learned key, Yes") << true << Answer::Yes << true;
    QTest::newRow("learned key, No") << true << Answer::No << false;
}

void TestCodeFromProtocol::codeGoesIntoRowKeepingItsName()
{
    QFETCH(bool, learned);
    QFETCH(Answer, answer);
    QFETCH(bool, written);
    CodeTable &table = m_window->table();
    if (learned)
        storeBlock(3, blockOf(IrProtocol::Sirc, 1, 0x15).toByteArray());
    table.setRecNo(3);
    QString refusal;
    QVERIFY(RowName::renameCurrentRow(table, QStringLiteral("Volume+"), &refusal));
    const QByteArray before = table.irData();
    m_prompt.clear();
    if (learned)
        m_prompt.queueAnswer(answer);

    runDialog(QStringLiteral("RC5"), QStringLiteral("0x05"), QStringLiteral("12"), true);

    QCOMPARE(m_prompt.asked().size(), learned ? 1 : 0);
    if (learned)
        QCOMPARE(m_prompt.texts().first(),
                 QStringLiteral("Row 3 'Volume+' holds a learned key. Overwrite this learned key?"));
    QCOMPARE(table.recNo(), 3);
    if (!written) {
        QCOMPARE(table.irData(), before);
        return;
    }
    const IrBlock block = IrBlock::fromField(table.irData());
    const IrDecode decode = IrDecoder::decode(block);
    QCOMPARE(decode.summary(), QStringLiteral("RC5 0x05 0x0C"));
    QVERIFY(decode.code.toggle);
    QCOMPARE(block.nameBytes(), QByteArray("Volume+"));
    QCOMPARE(table.fieldText(QStringLiteral("Function")), QStringLiteral("Volume+"));
    QCOMPARE(table.fieldText(QStringLiteral("Format")), QStringLiteral("RC5/RC6"));
    QVERIFY(m_window->isModified());
    QCOMPARE(m_window->decodeText(), QStringLiteral("RC5 0x05 0x0C"));
}

void TestCodeFromProtocol::codeThatCannotBeMadeLeavesRow()
{
    CodeTable &table = m_window->table();
    storeBlock(4, blockOf(IrProtocol::Nec, 0x10, 0x20).toByteArray());
    const QByteArray before = table.irData();
    m_window->document().setModified(false);
    m_prompt.clear();

    // NEC's own form given as NECext: the encoder refuses it.
    runDialog(QStringLiteral("NECext"), QStringLiteral("0xFB04"), QStringLiteral("0x08"), false);

    QCOMPARE(m_prompt.asked().size(), 1);
    QCOMPARE(m_prompt.asked().first().kind, QStringLiteral("notice"));
    QVERIFY2(m_prompt.texts().first().contains(QStringLiteral("it is NEC address 0x04")),
             qPrintable(m_prompt.texts().first()));
    QCOMPARE(dialog().resultLabel()->text(), m_prompt.texts().first());
    QCOMPARE(table.irData(), before);
    QVERIFY(!m_window->isModified());
}

void TestCodeFromProtocol::previewShownThenPutBack_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("cancelled") << false;
    QTest::newRow("accepted") << true;
}

void TestCodeFromProtocol::previewShownThenPutBack()
{
    QFETCH(bool, accept);
    auto *wave = m_window->findChild<WaveView *>(QStringLiteral("waveView"));
    wave->chooseMode(wave->rollingItem());
    storeBlock(2, blockOf(IrProtocol::Jvc, 0x03, 0x11).toByteArray());
    storeBlock(5, blockOf(IrProtocol::Nec, 0x01, 0x02).toByteArray());
    m_window->table().setRecNo(2);
    const IrBlock upper = wave->traces().traceBlock(0);
    const IrBlock lower = wave->traces().traceBlock(1);
    const IrBlock preview = blockOf(IrProtocol::Rc6, 0x00, 0x0C);
    m_prompt.queueAnswer(Answer::Yes); // overwrite the JVC key

    runDialog(QStringLiteral("RC6"), QStringLiteral("0"), QStringLiteral("0x0C"), false, accept, [&] {
        QCOMPARE(wave->traces().traceBlock(0), preview);
    });

    if (accept) {
        // The row's new block is drawn over the traces shown before.
        QCOMPARE(wave->traces().traceBlock(0), preview);
        QCOMPARE(m_window->table().irData(), preview.toByteArray());
        return;
    }
    QCOMPARE(wave->traces().traceBlock(0), upper);
    QCOMPARE(wave->traces().traceBlock(1), lower);
}

QTEST_MAIN(TestCodeFromProtocol)
#include "tst_codefromprotocol.moc"
