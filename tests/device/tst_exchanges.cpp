#include "LineTrace.h"
#include "RawPty.h"
#include "core/common/AppTexts.h"
#include "core/common/ZoqError.h"
#include "core/device/EepromTransfer.h"
#include "core/device/Frames.h"
#include "core/device/LearnHost.h"
#include "core/device/LearnRun.h"
#include "core/device/SendExchange.h"
#include "core/device/SerialLink.h"
#include "core/device/SignalLayout.h"
#include "modsim/LearnedCapture.h"
#include "modsim/ModuleSimulator.h"
#include "support/ScriptedPrompt.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

constexpr int RowCount = 6;

// The main window's side of a learn run: a few rows and a log of the calls.
class TestLearnHost final : public LearnHost
{
public:
    TestLearnHost()
    {
        for (int row = 1; row <= RowCount; ++row) {
            m_blocks.append(IrBlock::filled(uchar(row)));
            m_names.append("Key" + QByteArray::number(row));
        }
        m_clock.start();
    }

    void detachRowChangeHook() override { log(QStringLiteral("detach")); }
    void attachRowChangeHook() override { log(QStringLiteral("attach")); }
    QList<int> selectedRows() override { return m_selection.isEmpty() ? QList<int>{m_current} : m_selection; }
    void makeCurrent(int row) override
    {
        m_current = row;
        log(QStringLiteral("current %1").arg(row));
    }
    QByteArray currentNameBytes() override
    {
        if (m_nameRefused)
            throw ZoqError(QStringLiteral("The character '\u7535' cannot be stored in a key name in Latin-1."));
        return m_names[m_current - 1];
    }
    void storeBlock(const IrBlock &block) override
    {
        if (m_storeFails)
            throw ZoqError(QStringLiteral("The document is read-only."));
        m_blocks[m_current - 1] = block;
        log(QStringLiteral("store %1").arg(m_current));
    }
    void drawWave(bool roll) override { log(QStringLiteral("draw %1").arg(roll)); }
    void scrollWaveToStart() override { log(QStringLiteral("scroll")); }
    void setCapturing(bool capturing) override
    {
        log(QStringLiteral("capturing %1").arg(capturing));
        if (capturing && m_onCapturing)
            m_onCapturing(m_current);
    }

    // Milliseconds since the start at which an event was logged.
    [[nodiscard]] qint64 timeOf(const QString &event) const { return m_times.value(m_events.indexOf(event), -1); }

    QList<IrBlock> m_blocks;
    QList<QByteArray> m_names;
    QList<int> m_selection;
    int m_current = 1;
    QStringList m_events;
    std::function<void(int row)> m_onCapturing;
    bool m_storeFails = false;
    bool m_nameRefused = false;

private:
    void log(const QString &event)
    {
        m_events.append(event);
        m_times.append(m_clock.elapsed());
    }

    QElapsedTimer m_clock;
    QList<qint64> m_times;
};

// The main window's side of an EEPROM transfer.
struct TransferProbe
{
    QList<QByteArray> fields; // download: the rows' "IR Data"
    QMap<int, QByteArray> stored;
    QStringList events;
    int position = -1;
    bool running = false;
    std::function<void(int slot)> onSlot;

    EepromTransfer::Callbacks callbacks()
    {
        EepromTransfer::Callbacks c;
        c.slotSource = [this](int slot) {
            if (onSlot)
                onSlot(slot);
            return fields.value(slot);
        };
        c.slotSink = [this](int slot, const QByteArray &block) {
            stored.insert(slot, block);
            if (onSlot)
                onSlot(slot);
        };
        c.progress = [this](int slot) { position = slot; };
        c.stillRunning = [this] { return running; };
        c.begin = [this](const QString &label) {
            running = true;
            events.append(QStringLiteral("begin ") + label);
        };
        c.end = [this] { events.append(QStringLiteral("end")); };
        return c;
    }
};

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

QByteArray joined(const QList<QByteArray> &parts)
{
    QByteArray all;
    for (const QByteArray &part : parts)
        all += part;
    return all;
}

const QString NoDevice = QStringLiteral("No found IR device!");

} // namespace

Q_DECLARE_METATYPE(SendReply)

// Learn, send, stop, download and upload against the module simulator at the
// far end of a pseudo-terminal. Every test runs with the simulator served from
// the test's own event loop and from a thread of its own.
class TestExchanges : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void init();
    void cleanup();

    void learnOneRow();
    void learnThreeRows();
    void learnStoresIntoItsRowWhenCurrentRowMoves();
    void stopDuringSecondOfThree();
    void learnWithoutModule();
    void learnReadsWholeLongerCapture();
    void learnRefusedWhileLineTaken();
    void learnEndsCleanlyWhenStoringFails();
    void refusedNameStopsBeforeTheModuleIsAsked();

    void sendReplies_data();
    void sendReplies();
    void sendAlternatesRc5Captures();
    void sendOfInvalidBlockWritesNothing();
    void stopAfterSend();

    void downloadAllSlots();
    void uploadAllSlots();
    void downloadCancelledDuringSlot10();
    void downloadModuleSilentAfterHalfSlot();
    void uploadTimesOutAtSlot100();
    void uploadWithoutModule();
    void noToQuestionSendsNothing_data();
    void noToQuestionSendsNothing();
    void noSecondExchangeDuringTransfer();
    void transferEndsCleanlyWhenStoringFails();
    void bytesLeaveBeforeRateChanges_data();
    void bytesLeaveBeforeRateChanges();

private:
    void startSimulator(const SimulatorSettings &settings);
    void standInForWire();
    [[nodiscard]] QList<ReceivedFrame> framesOf(FrameKind kind) const;
    [[nodiscard]] QByteArray expectedCapture(quint8 irFormat) const;
    void verifyBackAtNormalRate() const;
    [[nodiscard]] QStringList notices() const;

    QTemporaryDir m_dir;
    ScriptedPrompt m_prompt;
    std::unique_ptr<ModuleSimulator> m_sim;
    std::unique_ptr<SerialLink> m_link;
    LearnRun::Parameters m_learn;
    qint64 m_written = 0;
};

void TestExchanges::initTestCase_data()
{
    QTest::addColumn<bool>("ownThread");
    QTest::newRow("simulator in the test's thread") << false;
    QTest::newRow("simulator in its own thread") << true;
}

void TestExchanges::init()
{
    m_prompt.clear();
    m_link = std::make_unique<SerialLink>(m_prompt);
    m_link->setPortDirectory(m_dir.path());
    m_learn = {};
    m_written = 0;
}

void TestExchanges::cleanup()
{
    m_link.reset();
    m_sim.reset();
}

void TestExchanges::startSimulator(const SimulatorSettings &settings)
{
    QFETCH_GLOBAL(bool, ownThread);
    m_sim = std::make_unique<ModuleSimulator>();
    m_sim->setSettings(settings);
    const QString link = m_dir.filePath(QStringLiteral("COM1"));
    QVERIFY2(ownThread ? m_sim->startInThread(link) : m_sim->open(link), qPrintable(m_sim->errorString()));
    if (ownThread)
        standInForWire();
    QCOMPARE(m_link->choosePort(QStringLiteral("COM1")), QStringLiteral("COM1"));
}

// A pseudo-terminal has no wire: bytes the link has drained are only in the
// master's buffer, and a module in another thread may not have read them yet
// when the link changes rate, however long that thread is kept waiting on a
// busy machine. Here the test stands in for the wire: a drain ends once the
// module has taken every byte written. (Served from the test's own thread, the
// module reads them within the drain's own wait.)
void TestExchanges::standInForWire()
{
    connect(m_link.get(), &SerialLink::lineStep, m_sim.get(), [this](SerialLink::LineStep step, qint64 value) {
        if (step == SerialLink::LineStep::Write)
            m_written += value;
        else if (step == SerialLink::LineStep::Drain && value != 0)
            (void)QTest::qWaitFor([this] { return m_sim->journal().counters.bytesReceived == m_written; }, 3000);
    });
}

QList<ReceivedFrame> TestExchanges::framesOf(FrameKind kind) const
{
    QList<ReceivedFrame> result;
    for (const ReceivedFrame &frame : m_sim->journal().frames) {
        if (frame.kind == kind)
            result.append(frame);
    }
    return result;
}

QByteArray TestExchanges::expectedCapture(quint8 irFormat) const
{
    return LearnedCapture::bytes(m_sim->settings().key, irFormat).value();
}

void TestExchanges::verifyBackAtNormalRate() const
{
    QCOMPARE(m_link->baudRate(), SerialLink::NormalBaudrate);
    QVERIFY(m_link->port() != nullptr);
    QCOMPARE(m_sim->baudRate(), SerialLink::NormalBaudrate);
    QVERIFY(!m_link->isBusy());
}

QStringList TestExchanges::notices() const
{
    QStringList result;
    for (const ScriptedPrompt::Asked &asked : m_prompt.asked()) {
        if (asked.kind == QLatin1String("notice")) {
            if (asked.title != AppTexts::applicationTitle())
                return {QStringLiteral("wrong title: ") + asked.title};
            result.append(asked.text);
        }
    }
    return result;
}

void TestExchanges::learnOneRow()
{
    SimulatorSettings settings;
    settings.captureDelayMs = 100;
    startSimulator(settings);
    TestLearnHost host;
    host.m_selection = {2};
    host.m_names[1] = "Power";
    m_learn = {0, 2, SignalLayout::FormatNormal};
    LearnRun run(*m_link, m_prompt, host);
    run.learnOrStop(m_learn);

    QVERIFY(!run.isLearning());
    QCOMPARE(host.m_events,
             (QStringList{QStringLiteral("detach"), QStringLiteral("current 2"), QStringLiteral("capturing 1"),
                          QStringLiteral("current 2"), QStringLiteral("store 2"), QStringLiteral("draw 0"), QStringLiteral("scroll"),
                          QStringLiteral("attach"), QStringLiteral("capturing 0")}));
    QCOMPARE(host.m_blocks[1],
             SignalLayout::blockFromCapture(expectedCapture(SignalLayout::FormatNormal), 1, "Power"));
    QCOMPARE(host.m_blocks[1].nameBytes(), QByteArray("Power"));
    QCOMPARE(host.m_blocks[0], IrBlock::filled(1));
    QTRY_COMPARE(framesOf(FrameKind::Escape).size(), 1);
    const QList<ReceivedFrame> frames = m_sim->journal().frames;
    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames[0].bytes, Frames::learn(0, 2, 1));
    QCOMPARE(frames[1].bytes, Frames::esc());
    QVERIFY(m_prompt.asked().isEmpty());
    QVERIFY(!m_link->isBusy());
}

// A click in the grid while the module is asked to learn moves the current
// row; the captured key still lands in the row it was learned for.
void TestExchanges::learnStoresIntoItsRowWhenCurrentRowMoves()
{
    SimulatorSettings settings;
    settings.captureDelayMs = 300;
    startSimulator(settings);
    TestLearnHost host;
    host.m_selection = {2};
    host.m_onCapturing = [&host](int) { QTimer::singleShot(50, [&host] { host.m_current = 5; }); };
    LearnRun run(*m_link, m_prompt, host);
    run.learnOrStop(m_learn);

    QCOMPARE(host.m_blocks[1],
             SignalLayout::blockFromCapture(expectedCapture(SignalLayout::FormatNormal), 1, "Key2"));
    QCOMPARE(host.m_blocks[4], IrBlock::filled(5));
}

void TestExchanges::learnThreeRows()
{
    SimulatorSettings settings;
    settings.captureDelayMs = 100;
    settings.key.protocol = IrProtocol::Rc5;
    startSimulator(settings);
    TestLearnHost host;
    host.m_selection = {1, 3, 5};
    m_learn = {0, 1, SignalLayout::FormatRc5Rc6};
    LearnRun run(*m_link, m_prompt, host);
    run.learnOrStop(m_learn);

    const IrBlock learned = SignalLayout::blockFromCapture(expectedCapture(2), 2, QByteArray());
    for (int row : {1, 3, 5}) {
        QVERIFY(host.m_blocks[row - 1].isRc5Rc6());
        IrBlock expected = learned;
        expected.setNameBytes("Key" + QByteArray::number(row));
        QCOMPARE(host.m_blocks[row - 1], expected);
    }
    QCOMPARE(host.m_blocks[1], IrBlock::filled(2));
    QCOMPARE(host.m_events.count(QStringLiteral("draw 1")), 3);
    // Each stored capture is followed by the pause before the next row.
    QVERIFY(host.timeOf(QStringLiteral("current 3")) - host.timeOf(QStringLiteral("store 1")) >= 1200);
    QVERIFY(host.timeOf(QStringLiteral("current 5")) - host.timeOf(QStringLiteral("store 3")) >= 1200);
    QVERIFY(host.timeOf(QStringLiteral("attach")) - host.timeOf(QStringLiteral("store 5")) >= 1200);
    QTRY_COMPARE(framesOf(FrameKind::Escape).size(), 1);
    QCOMPARE(framesOf(FrameKind::Learn).size(), 3);
    QCOMPARE(m_sim->journal().frames.last().kind, FrameKind::Escape);
    QVERIFY(m_prompt.asked().isEmpty());
}

void TestExchanges::stopDuringSecondOfThree()
{
    SimulatorSettings settings;
    settings.captureDelayMs = 1000;
    startSimulator(settings);
    TestLearnHost host;
    host.m_selection = {2, 4, 6};
    m_learn = {0, 3, SignalLayout::FormatNormal};
    LearnRun run(*m_link, m_prompt, host);
    host.m_onCapturing = [&](int row) {
        if (row == 4)
            QTimer::singleShot(200, [&] { run.learnOrStop(m_learn); });
    };
    run.learnOrStop(m_learn);

    QVERIFY(!run.isLearning());
    QVERIFY(host.m_blocks[1].isValid());
    QCOMPARE(host.m_blocks[3], IrBlock::filled(4));
    QCOMPARE(host.m_blocks[5], IrBlock::filled(6));
    QVERIFY(!host.m_events.contains(QStringLiteral("current 6")));
    QCOMPARE(host.m_events.last(), QStringLiteral("capturing 0"));
    QTRY_COMPARE(framesOf(FrameKind::Escape).size(), 1);
    QCOMPARE(framesOf(FrameKind::Learn).size(), 2);
    QTRY_COMPARE(m_sim->journal().counters.captureCancels, 1);
    QVERIFY(m_prompt.asked().isEmpty());
}

void TestExchanges::learnWithoutModule()
{
    SimulatorSettings settings;
    settings.faults.noLearnAck = true;
    startSimulator(settings);
    TestLearnHost host;
    host.m_selection = {1, 2};
    LearnRun run(*m_link, m_prompt, host);
    run.learnOrStop(m_learn);

    QCOMPARE(notices(), QStringList{NoDevice});
    for (int row = 1; row <= RowCount; ++row)
        QCOMPARE(host.m_blocks[row - 1], IrBlock::filled(uchar(row)));
    QVERIFY(!host.m_events.contains(QStringLiteral("capturing 1")));
    QCOMPARE(host.m_events.last(), QStringLiteral("capturing 0"));
    QTRY_COMPARE(framesOf(FrameKind::Escape).size(), 1);
    QCOMPARE(framesOf(FrameKind::Learn).size(), 1);
}

void TestExchanges::learnReadsWholeLongerCapture()
{
    SimulatorSettings settings;
    settings.captureDelayMs = 50;
    settings.faults.captureExtraBytes = 4;
    startSimulator(settings);
    TestLearnHost host;
    LearnRun run(*m_link, m_prompt, host);
    run.learnOrStop(m_learn);

    QCOMPARE(m_link->bytesRead(), 335u);
    QCOMPARE(m_link->pollQueued(), 0);
    QCOMPARE(host.m_blocks[0], SignalLayout::blockFromCapture(expectedCapture(1), 1, "Key1"));
}

void TestExchanges::learnRefusedWhileLineTaken()
{
    startSimulator({});
    TestLearnHost host;
    LearnRun run(*m_link, m_prompt, host);
    QVERIFY(m_link->claim());
    run.learnOrStop(m_learn);
    m_link->release();
    QVERIFY(host.m_events.isEmpty());
    QVERIFY(!run.isLearning());
    QTest::qWait(100);
    QVERIFY(m_sim->journal().frames.isEmpty());
}

void TestExchanges::learnEndsCleanlyWhenStoringFails()
{
    SimulatorSettings settings;
    settings.captureDelayMs = 50;
    startSimulator(settings);
    TestLearnHost host;
    host.m_storeFails = true;
    LearnRun run(*m_link, m_prompt, host);
    QVERIFY_THROWS_EXCEPTION(ZoqError, run.learnOrStop(m_learn));
    QVERIFY(!run.isLearning());
    QVERIFY(!m_link->isBusy());
    QCOMPARE(host.m_events.last(), QStringLiteral("capturing 0"));
    QVERIFY(host.m_events.contains(QStringLiteral("attach")));
    QTRY_COMPARE(framesOf(FrameKind::Escape).size(), 1);
}

void TestExchanges::refusedNameStopsBeforeTheModuleIsAsked()
{
    startSimulator(SimulatorSettings{});
    TestLearnHost host;
    host.m_nameRefused = true;
    LearnRun run(*m_link, m_prompt, host);
    QVERIFY_THROWS_EXCEPTION(ZoqError, run.learnOrStop(m_learn));
    QVERIFY(!run.isLearning());
    QVERIFY(!m_link->isBusy());
    QVERIFY(!host.m_events.contains(QStringLiteral("capturing 1")));
    QCOMPARE(host.m_blocks[0], IrBlock::filled(1));
    QTRY_COMPARE(framesOf(FrameKind::Escape).size(), 1);
    QVERIFY(framesOf(FrameKind::Learn).isEmpty());
}

void TestExchanges::sendReplies_data()
{
    QTest::addColumn<SendReply>("reply");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<QStringList>("told");

    QTest::newRow("A") << SendReply::Accept << true << QStringList();
    QTest::newRow("B") << SendReply::Refuse << false << QStringList();
    QTest::newRow("garbage") << SendReply::Garbage << false << QStringList{NoDevice};
    QTest::newRow("two bytes") << SendReply::TwoBytes << false << QStringList{NoDevice};
    QTest::newRow("silence") << SendReply::Silence << false << QStringList{NoDevice};
}

void TestExchanges::sendReplies()
{
    QFETCH(SendReply, reply);
    QFETCH(bool, sent);
    QFETCH(QStringList, told);
    SimulatorSettings settings;
    settings.moduleId = 5;
    settings.faults.sendReply = reply;
    startSimulator(settings);
    IrBlock block = IrBlock::fromField(randomBytes(512, 7));
    block.set(0, 'r');
    block.set(128, 0);
    SendExchange send(*m_link, m_prompt);

    QCOMPARE(send.send(block.toByteArray(), 5, 0xA5), sent);
    QCOMPARE(notices(), told);
    QTRY_COMPARE(framesOf(FrameKind::Send).size(), 1);
    QCOMPARE(framesOf(FrameKind::Send).first().bytes, Frames::send(5, 0xA5));
    if (sent) {
        QTRY_COMPARE(m_sim->journal().blocks.size(), 1);
        const TransmittedBlock transmitted = m_sim->journal().blocks.first();
        QCOMPARE(transmitted.bytes, joined(SignalLayout::transmissionWrites(block, false)));
        QCOMPARE(transmitted.portMask, quint8(0xA5));
    } else {
        QTest::qWait(100);
        QVERIFY(m_sim->journal().blocks.isEmpty());
    }
}

void TestExchanges::sendAlternatesRc5Captures()
{
    startSimulator({});
    IrBlock rc5 = IrBlock::fromField(randomBytes(512, 11));
    rc5.set(0, 'r');
    rc5.set(128, 'r');
    SendExchange send(*m_link, m_prompt);
    QVERIFY(send.send(rc5.toByteArray(), 0, 0xFF));
    QVERIFY(send.send(rc5.toByteArray(), 0, 0xFF));
    QTRY_COMPARE(m_sim->journal().blocks.size(), 2);
    const QByteArray bytes = rc5.toByteArray();
    QCOMPARE(m_sim->journal().blocks[0].bytes, bytes.mid(128, 75) + bytes.mid(384, 128) + bytes.mid(256, 128));
    QCOMPARE(m_sim->journal().blocks[1].bytes, bytes.mid(0, 75) + bytes.mid(256, 256));
}

void TestExchanges::sendOfInvalidBlockWritesNothing()
{
    startSimulator({});
    SendExchange send(*m_link, m_prompt);
    QVERIFY(!send.send(QByteArray(512, '\0'), 0, 0xFF));
    QVERIFY(!send.send(QByteArray(), 0, 0xFF));
    QVERIFY(!send.alternation());
    QTest::qWait(100);
    QVERIFY(m_sim->journal().frames.isEmpty());
    QVERIFY(m_prompt.asked().isEmpty());
}

void TestExchanges::stopAfterSend()
{
    startSimulator({});
    IrBlock block;
    block.set(0, 'r');
    SendExchange send(*m_link, m_prompt);
    QVERIFY(send.send(block.toByteArray(), 0, 1));
    SerialLink::pause(SendExchange::ReplyDelayMs);
    send.stop(0);
    char reply[SendExchange::StopReplySize];
    QVERIFY(m_link->read(reply, SendExchange::StopReplySize, SendExchange::StopReplySeconds));
    QCOMPARE(framesOf(FrameKind::Stop).first().bytes, Frames::stop(0));
    QTRY_VERIFY(!m_sim->journal().transmitting);
}

void TestExchanges::downloadAllSlots()
{
    startSimulator({});
    const QString eepromFile = m_dir.filePath(QStringLiteral("eeprom.bin"));
    QFile::remove(eepromFile);
    QVERIFY(m_sim->useEepromFile(eepromFile));
    TransferProbe probe;
    QByteArray image;
    for (int slot = 0; slot < EepromTransfer::SlotCount; ++slot) {
        // Slot 3 has an empty field, slot 4 a long one.
        const int size = slot == 3 ? 0 : slot == 4 ? 600 : 512;
        probe.fields.append(randomBytes(size, quint32(slot)));
        image += IrBlock::fromField(probe.fields.last(), 0xFF).toByteArray();
    }
    QCOMPARE(image.mid(3 * 512, 512), QByteArray(512, '\xff'));
    m_prompt.queueAnswer(Prompt::Answer::Yes);

    QCOMPARE(EepromTransfer::download(*m_link, m_prompt, 0, probe.callbacks()),
             EepromTransfer::Outcome::Completed);
    const ScriptedPrompt::Asked question = m_prompt.asked().first();
    QCOMPARE(question.kind, QStringLiteral("yesno"));
    QCOMPARE(question.title, AppTexts::mainCaption());
    QCOMPARE(question.text, QStringLiteral("Download will replace data in EEPROM by current zoq file.\n"
                                           "Are you really do it?"));
    QCOMPARE(notices(), QStringList{QStringLiteral("Download completed.")});
    QCOMPARE(probe.events, (QStringList{QStringLiteral("begin Downloading..."), QStringLiteral("end")}));
    QCOMPARE(probe.position, 511);
    QTRY_COMPARE(m_sim->journal().transfers.size(), 1);
    QCOMPARE(m_sim->journal().transfers.first().outcome, TransferOutcome::Completed);
    QFile file(eepromFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == image);
    verifyBackAtNormalRate();
}

void TestExchanges::uploadAllSlots()
{
    startSimulator({});
    QByteArray image = randomBytes(EepromTransfer::SlotCount * 512, 99);
    // Slot 2: a name field without a zero byte.
    image.replace(2 * 512 + 240, 16, QByteArray(16, 'N'));
    QVERIFY(m_sim->setEeprom(image));
    TransferProbe probe;
    m_prompt.queueAnswer(Prompt::Answer::Yes);

    QCOMPARE(EepromTransfer::upload(*m_link, m_prompt, 0, probe.callbacks()),
             EepromTransfer::Outcome::Completed);
    QCOMPARE(m_prompt.asked().first().text,
             QStringLiteral("Upload will replace data in current zoq file by data in EEPROM.\nAre you really do it?"));
    QCOMPARE(notices(), QStringList{QStringLiteral("Upload completed.")});
    QCOMPARE(probe.events, (QStringList{QStringLiteral("begin Uploading..."), QStringLiteral("end")}));
    QCOMPARE(probe.stored.size(), EepromTransfer::SlotCount);
    for (int slot = 0; slot < EepromTransfer::SlotCount; ++slot) {
        QByteArray expected = image.mid(slot * 512, 512);
        expected[255] = '\0';
        QCOMPARE(probe.stored.value(slot), expected);
    }
    QCOMPARE(IrBlock::fromField(probe.stored.value(2)).nameBytes(), QByteArray(15, 'N'));
    verifyBackAtNormalRate();
}

void TestExchanges::downloadCancelledDuringSlot10()
{
    startSimulator({});
    TransferProbe probe;
    probe.fields = QList<QByteArray>(EepromTransfer::SlotCount, QByteArray(512, 'd'));
    // The user closes the dialog while slot 10 is on the line.
    probe.onSlot = [&probe](int slot) {
        if (slot == 10)
            probe.running = false;
    };
    m_prompt.queueAnswer(Prompt::Answer::Yes);

    QCOMPARE(EepromTransfer::download(*m_link, m_prompt, 0, probe.callbacks()),
             EepromTransfer::Outcome::Cancelled);
    QCOMPARE(notices(), QStringList{QStringLiteral("Download terminated!")});
    QCOMPARE(probe.position, 10);
    QCOMPARE(probe.events.last(), QStringLiteral("end"));
    QTRY_COMPARE(m_sim->journal().transfers.size(), 1);
    QCOMPARE(m_sim->journal().transfers.first().outcome, TransferOutcome::Cancelled);
    QCOMPARE(m_sim->eepromSlot(10), QByteArray(512, 'd'));
    QCOMPARE(m_sim->eepromSlot(11), QByteArray(512, '\xff'));
    verifyBackAtNormalRate();
}

void TestExchanges::downloadModuleSilentAfterHalfSlot()
{
    SimulatorSettings settings;
    settings.faults.silentAtSlot = 5;
    settings.faults.silentAfterHalfSlot = true;
    startSimulator(settings);
    TransferProbe probe;
    probe.fields = QList<QByteArray>(EepromTransfer::SlotCount, QByteArray(512, 'd'));
    m_prompt.queueAnswer(Prompt::Answer::Yes);

    QCOMPARE(EepromTransfer::download(*m_link, m_prompt, 0, probe.callbacks()),
             EepromTransfer::Outcome::NoDevice);
    QCOMPARE(notices(), QStringList{QStringLiteral("No found IR device.Download failed!")});
    QCOMPARE(probe.position, 4);
    QCOMPARE(probe.events.last(), QStringLiteral("end"));
    QTRY_COMPARE(m_sim->journal().transfers.size(), 1);
    QCOMPARE(m_sim->journal().transfers.first().outcome, TransferOutcome::Silenced);
    QCOMPARE(m_sim->journal().counters.garbageBytes, 0);
    verifyBackAtNormalRate();
}

void TestExchanges::uploadTimesOutAtSlot100()
{
    SimulatorSettings settings;
    settings.faults.silentAtSlot = 100;
    startSimulator(settings);
    const QByteArray image = randomBytes(EepromTransfer::SlotCount * 512, 5);
    QVERIFY(m_sim->setEeprom(image));
    TransferProbe probe;
    m_prompt.queueAnswer(Prompt::Answer::Yes);

    QCOMPARE(EepromTransfer::upload(*m_link, m_prompt, 0, probe.callbacks()),
             EepromTransfer::Outcome::TimedOut);
    QCOMPARE(notices(), QStringList{QStringLiteral("Time out,Upload failed!")});
    QCOMPARE(probe.stored.size(), 100);
    QCOMPARE(probe.stored.lastKey(), 99);
    QCOMPARE(probe.stored.value(99).first(255), image.mid(99 * 512, 255));
    verifyBackAtNormalRate();
}

void TestExchanges::uploadWithoutModule()
{
    RawPty silent;
    QVERIFY(m_link->open(silent.slavePath()));
    m_link->setPortName(silent.slavePath());
    TransferProbe probe;
    m_prompt.queueAnswer(Prompt::Answer::Yes);

    QCOMPARE(EepromTransfer::upload(*m_link, m_prompt, 3, probe.callbacks()),
             EepromTransfer::Outcome::NoDevice);
    QCOMPARE(notices(), QStringList{QStringLiteral("No found IR device,Upload failed!")});
    QVERIFY(probe.events.isEmpty());
    QVERIFY(probe.stored.isEmpty());
    QCOMPARE(silent.readAll(), Frames::uploadAll(3));
    QCOMPARE(silent.baudrate(), 9600);
    QCOMPARE(m_link->baudRate(), SerialLink::NormalBaudrate);
}

void TestExchanges::noToQuestionSendsNothing_data()
{
    QTest::addColumn<bool>("download");
    QTest::newRow("download") << true;
    QTest::newRow("upload") << false;
}

void TestExchanges::noToQuestionSendsNothing()
{
    QFETCH(bool, download);
    startSimulator({});
    TransferProbe probe;
    m_prompt.queueAnswer(Prompt::Answer::No);
    const auto execute = download ? &EepromTransfer::download : &EepromTransfer::upload;
    QCOMPARE(execute(*m_link, m_prompt, 0, probe.callbacks()), EepromTransfer::Outcome::Declined);
    QCOMPARE(m_prompt.asked().size(), 1);
    QVERIFY(probe.events.isEmpty());
    QTest::qWait(100);
    QVERIFY(m_sim->journal().frames.isEmpty());
    verifyBackAtNormalRate();
}

void TestExchanges::noSecondExchangeDuringTransfer()
{
    startSimulator({});
    TransferProbe probe;
    probe.fields = QList<QByteArray>(EepromTransfer::SlotCount, QByteArray(512, 'r'));
    TestLearnHost host;
    LearnRun learn(*m_link, m_prompt, host);
    SendExchange send(*m_link, m_prompt);
    QList<EepromTransfer::Outcome> inner;
    bool sentInside = true;
    probe.onSlot = [&](int slot) {
        if (slot != 3)
            return;
        TransferProbe other;
        inner.append(EepromTransfer::download(*m_link, m_prompt, 0, other.callbacks()));
        inner.append(EepromTransfer::upload(*m_link, m_prompt, 0, other.callbacks()));
        learn.learnOrStop(m_learn);
        sentInside = send.send(QByteArray(512, 'r'), 0, 1);
        send.stop(0);
    };
    m_prompt.queueAnswer(Prompt::Answer::Yes);

    QCOMPARE(EepromTransfer::download(*m_link, m_prompt, 0, probe.callbacks()),
             EepromTransfer::Outcome::Completed);
    QCOMPARE(inner, (QList<EepromTransfer::Outcome>{EepromTransfer::Outcome::Refused,
                                                    EepromTransfer::Outcome::Refused}));
    QVERIFY(!sentInside);
    QVERIFY(host.m_events.isEmpty());
    QCOMPARE(m_prompt.asked().size(), 2); // the question and "Download completed."
    QTRY_COMPARE(m_sim->journal().transfers.size(), 1);
    QCOMPARE(m_sim->journal().transfers.first().outcome, TransferOutcome::Completed);
    QCOMPARE(m_sim->journal().frames.size(), 1);
    verifyBackAtNormalRate();
}

void TestExchanges::transferEndsCleanlyWhenStoringFails()
{
    startSimulator({});
    TransferProbe probe;
    probe.onSlot = [](int slot) {
        if (slot == 2)
            throw ZoqError(QStringLiteral("The document is read-only."));
    };
    m_prompt.queueAnswer(Prompt::Answer::Yes);
    QVERIFY_THROWS_EXCEPTION(ZoqError, EepromTransfer::upload(*m_link, m_prompt, 0, probe.callbacks()));
    QCOMPARE(probe.events, (QStringList{QStringLiteral("begin Uploading..."), QStringLiteral("end")}));
    QVERIFY(notices().isEmpty());
    verifyBackAtNormalRate();
}

void TestExchanges::bytesLeaveBeforeRateChanges_data()
{
    QTest::addColumn<bool>("download");
    QTest::addColumn<int>("cancelledAt");
    QTest::newRow("download, final 'U'") << true << -1;
    QTest::newRow("download, 'C'") << true << 1;
    QTest::newRow("upload, final 'U'") << false << -1;
    QTest::newRow("upload, 'C'") << false << 1;
}

// The command frame, and the 'U' or 'C' after the last slot, must have left
// the port before it is closed and set to the other rate: a close restores
// the old settings at once, and a UART would send the rest at the wrong rate.
void TestExchanges::bytesLeaveBeforeRateChanges()
{
    QFETCH(bool, download);
    QFETCH(int, cancelledAt);
    startSimulator({});
    TransferProbe probe;
    probe.fields = QList<QByteArray>(EepromTransfer::SlotCount, QByteArray(512, 'd'));
    probe.onSlot = [&probe, cancelledAt](int slot) {
        if (slot == cancelledAt)
            probe.running = false;
    };
    m_prompt.queueAnswer(Prompt::Answer::Yes);
    const LineTrace trace(*m_link);

    const auto execute = download ? &EepromTransfer::download : &EepromTransfer::upload;
    const EepromTransfer::Outcome outcome = execute(*m_link, m_prompt, 0, probe.callbacks());

    const QStringList &steps = trace.steps();
    const QByteArray frame = download ? Frames::downloadAll(0) : Frames::uploadAll(0);
    const QString command = QStringLiteral("write %1").arg(frame.size());
    const qsizetype toBulk = steps.indexOf(QStringLiteral("rate 115200"));
    QVERIFY(toBulk >= 0);
    QCOMPARE(steps.mid(qMax(toBulk - 4, 0), 5), (QStringList{command, QStringLiteral("drain"), QStringLiteral("close"),
                                                             QStringLiteral("open"), QStringLiteral("rate 115200")}));
    QCOMPARE(steps.mid(steps.size() - 5), (QStringList{QStringLiteral("write 1"), QStringLiteral("drain"),
                                                       QStringLiteral("close"), QStringLiteral("open"),
                                                       QStringLiteral("rate 9600")}));
    QCOMPARE(trace.undrainedSwitches(), QStringList());

    // And the module took every byte at the rate it listened at.
    const bool cancelled = cancelledAt >= 0;
    QCOMPARE(outcome, cancelled ? EepromTransfer::Outcome::Cancelled : EepromTransfer::Outcome::Completed);
    QTRY_COMPARE(m_sim->journal().transfers.size(), 1);
    QCOMPARE(m_sim->journal().transfers.first().outcome,
             cancelled ? TransferOutcome::Cancelled : TransferOutcome::Completed);
    QCOMPARE(m_sim->journal().counters.wrongRateBytes, 0);
    verifyBackAtNormalRate();
}

QTEST_GUILESS_MAIN(TestExchanges)
#include "tst_exchanges.moc"
