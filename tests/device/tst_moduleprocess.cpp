#include "core/device/EepromTransfer.h"
#include "core/device/LearnHost.h"
#include "core/device/LearnRun.h"
#include "core/device/SendExchange.h"
#include "core/device/SerialLink.h"
#include "support/ScriptedPrompt.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Learns into one row and keeps the block.
class OneRowHost final : public LearnHost
{
public:
    void detachRowChangeHook() override {}
    void attachRowChangeHook() override {}
    QList<int> selectedRows() override { return {1}; }
    void makeCurrent(int) override {}
    QByteArray currentNameBytes() override { return "Mute"; }
    void storeBlock(const IrBlock &block) override { m_block = block; }
    void drawWave(bool) override {}
    void scrollWaveToStart() override {}
    void setCapturing(bool) override {}

    IrBlock m_block;
};

} // namespace

// The program's exchanges against zoq-modsim running as a process of its own,
// reached through the COM1 link it makes.
class TestModuleProcess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void learnAndSend();
    void downloadThenUpload();

private:
    QTemporaryDir m_dir;
    QProcess m_module;
    ScriptedPrompt m_prompt;
    std::unique_ptr<SerialLink> m_link;
};

void TestModuleProcess::initTestCase()
{
    const QString link = m_dir.filePath(QStringLiteral("COM1"));
    m_module.start(QStringLiteral(ZOQ_MODSIM_PROGRAM),
                   {QStringLiteral("--link"), link, QStringLiteral("--eeprom"), m_dir.filePath(QStringLiteral("eeprom.bin")),
                    QStringLiteral("--capture-delay"), QStringLiteral("100"), QStringLiteral("--id"), QStringLiteral("2")});
    QVERIFY(m_module.waitForStarted());
    QTRY_VERIFY(QFileInfo(link).isSymLink());
    m_link = std::make_unique<SerialLink>(m_prompt);
    m_link->setPortDirectory(m_dir.path());
    QCOMPARE(m_link->choosePort(QStringLiteral("COM1")), QStringLiteral("COM1"));
}

void TestModuleProcess::cleanupTestCase()
{
    m_link.reset();
    m_module.terminate();
    QVERIFY(m_module.waitForFinished());
    QVERIFY(!QFileInfo(m_dir.filePath(QStringLiteral("COM1"))).exists());
}

void TestModuleProcess::learnAndSend()
{
    OneRowHost host;
    LearnRun learn(*m_link, m_prompt, host);
    learn.learnOrStop({2, 1, 1});
    QVERIFY(host.m_block.isValid());
    QCOMPARE(host.m_block.nameBytes(), QByteArray("Mute"));

    SendExchange send(*m_link, m_prompt);
    QVERIFY(send.send(host.m_block.toByteArray(), 2, 0x81));
    SerialLink::pause(SendExchange::ReplyDelayMs);
    send.stop(2);
    char reply[SendExchange::StopReplySize];
    QVERIFY(m_link->read(reply, SendExchange::StopReplySize, SendExchange::StopReplySeconds));
    QVERIFY(m_prompt.asked().isEmpty());
}

void TestModuleProcess::downloadThenUpload()
{
    QList<QByteArray> blocks;
    QByteArray image;
    for (int slot = 0; slot < EepromTransfer::SlotCount; ++slot) {
        QByteArray block(512, '\0');
        QRandomGenerator random{quint32(slot)};
        for (char &byte : block)
            byte = char(random.bounded(256));
        block[255] = '\0';
        blocks.append(block);
        image += block;
    }
    QMap<int, QByteArray> uploaded;
    bool running = true;
    EepromTransfer::Callbacks callbacks;
    callbacks.slotSource = [&](int slot) { return blocks.value(slot); };
    callbacks.slotSink = [&](int slot, const QByteArray &block) { uploaded.insert(slot, block); };
    callbacks.progress = [](int) {};
    callbacks.stillRunning = [&] { return running; };
    callbacks.begin = [](const QString &) {};
    callbacks.end = [] {};
    m_prompt.clear();
    m_prompt.queueAnswer(Prompt::Answer::Yes);
    m_prompt.queueAnswer(Prompt::Answer::Yes);

    QCOMPARE(EepromTransfer::download(*m_link, m_prompt, 2, callbacks), EepromTransfer::Outcome::Completed);
    QFile eeprom(m_dir.filePath(QStringLiteral("eeprom.bin")));
    QVERIFY(eeprom.open(QIODevice::ReadOnly));
    QTRY_VERIFY(eeprom.seek(0) && eeprom.readAll() == image);
    QCOMPARE(EepromTransfer::upload(*m_link, m_prompt, 2, callbacks), EepromTransfer::Outcome::Completed);
    QCOMPARE(uploaded.values(), blocks);
    QCOMPARE(m_prompt.texts().filter(QStringLiteral("completed.")).size(), 2);
    QCOMPARE(m_link->port()->baudRate(), SerialLink::NormalBaudrate);
}

QTEST_GUILESS_MAIN(TestModuleProcess)
#include "tst_moduleprocess.moc"
