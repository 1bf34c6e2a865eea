#include "SlaveLine.h"

#include "modsim/LearnedCapture.h"
#include "modsim/ModuleSimulator.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr int NormalBaud = 9600;
constexpr int BulkBaud = 115200;
constexpr int AnswerMs = 3000; // the program's own limit for every answer
constexpr int QuietMs = 400;   // how long "no answer" is watched for
constexpr int SlotSize = 512;
constexpr int SlotCount = 512;
constexpr int HalfSlot = SlotSize / 2;

QByteArray frame(int id, QByteArrayView body)
{
    QByteArray bytes;
    bytes.append(char(0xE0)).append(char(id)).append(body).append(char(0xEF));
    return bytes;
}

QByteArray learnFrame(int id, int format)
{
    QByteArray body("LEARN");
    body.append(char(2)).append(char(format)).append("000");
    return frame(id, body);
}

QByteArray escFrame()
{
    return frame(0, "ESC");
}

QByteArray sendFrame(int id, quint8 mask)
{
    QByteArray body("C");
    body.append('\0').append(char(mask & 0x0F)).append(char(mask >> 4)).append("000");
    return frame(id, body);
}

QByteArray stopFrame(int id)
{
    return frame(id, QByteArrayView("C\0\xA0\xAA\0\0\0", 7));
}

QByteArray downloadFrame(int id)
{
    return frame(id, "DOWNLOADALL");
}

QByteArray uploadFrame(int id)
{
    return frame(id, "UPLOADALL");
}

QByteArray slotPattern(int slot)
{
    QByteArray bytes(SlotSize, '\0');
    for (int i = 0; i < SlotSize; ++i)
        bytes[i] = char(slot * 7 + i);
    return bytes;
}

QByteArray imagePattern()
{
    QByteArray image;
    for (int slot = 0; slot < SlotCount; ++slot)
        image += slotPattern(slot);
    return image;
}

QByteArray expectedCapture(const IrKey &key, int format)
{
    return LearnedCapture::bytes(key, format).value();
}

} // namespace

// The simulator seen from the program's end of the line. Every test runs with
// the simulator served from the test's thread and from a thread of its own.
class TestModuleSimulatorLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void init();
    void cleanup();

    void learnAnswersAckThenCapture_data();
    void learnAnswersAckThenCapture();
    void captureWithExtraBytes();
    void learnWithoutAcknowledgement();
    void escapeCancelsPendingCapture();
    void framesForAnotherModuleGetNoAnswer_data();
    void framesForAnotherModuleGetNoAnswer();
    void escapeReachesEveryModule();
    void resynchronisesAfterGarbage();
    void sendTakesBlockUntilStop();
    void sendReplyFaults_data();
    void sendReplyFaults();
    void downloadWritesEveryslotToFile();
    void uploadSendsEveryslot();
    void bulkRefusedAtNormalRate_data();
    void bulkRefusedAtNormalRate();
    void transferFallsSilent_data();
    void transferFallsSilent();
    void transferCancelledAfterSlot_data();
    void transferCancelledAfterSlot();
    void bytesAtBulkRateOutsideTransferIgnored_data();
    void bytesAtBulkRateOutsideTransferIgnored();
    void lastByteAtNormalRateEndsTransfer_data();
    void lastByteAtNormalRateEndsTransfer();
    void pacedLineSpreadsCapture();
    void linkLivesAsLongAsSimulator();
    void linkOverRegularFileRefused();

private:
    [[nodiscard]] bool start(const SimulatorSettings &settings = {});
    [[nodiscard]] bool reopen(int baud);
    [[nodiscard]] bool learnAcknowledged(int id);
    [[nodiscard]] bool downloadSlot(const QByteArray &data);
    [[nodiscard]] bool startTransfer(TransferKind kind);
    [[nodiscard]] bool moveSlot(TransferKind kind);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ModuleSimulator> m_sim;
    std::unique_ptr<SlaveLine> m_line;
};

void TestModuleSimulatorLine::initTestCase_data()
{
    QTest::addColumn<bool>("ownThread");
    QTest::newRow("caller's thread") << false;
    QTest::newRow("own thread") << true;
}

void TestModuleSimulatorLine::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestModuleSimulatorLine::cleanup()
{
    m_line.reset();
    m_sim.reset();
    m_dir.reset();
}

bool TestModuleSimulatorLine::start(const SimulatorSettings &settings)
{
    QFETCH_GLOBAL(bool, ownThread);
    m_sim = std::make_unique<ModuleSimulator>();
    m_sim->setSettings(settings);
    const QString link = m_dir->filePath(QStringLiteral("COM1"));
    if (!(ownThread ? m_sim->startInThread(link) : m_sim->open(link))) {
        qWarning() << m_sim->errorString();
        return false;
    }
    m_line = std::make_unique<SlaveLine>();
    return reopen(NormalBaud);
}

// Like the program: let the bytes written leave (a pseudo-terminal has no
// wire: until the module has read them), close the port and open it again at
// the new rate.
bool TestModuleSimulatorLine::reopen(int baud)
{
    const bool drained = QTest::qWaitFor(
        [this] { return m_sim->journal().counters.bytesReceived == m_line->bytesWritten(); }, AnswerMs);
    return drained && m_line->open(m_sim->linkPath(), baud) && m_sim->baudRate() == baud;
}

bool TestModuleSimulatorLine::learnAcknowledged(int id)
{
    return m_line->write(learnFrame(id, 1)) && m_line->read(1, AnswerMs).size() == 1;
}

// Both halves of a slot, each answered by one byte.
bool TestModuleSimulatorLine::downloadSlot(const QByteArray &data)
{
    return m_line->write(data.first(HalfSlot)) && m_line->read(1, AnswerMs).size() == 1
           && m_line->write(data.sliced(HalfSlot)) && m_line->read(1, AnswerMs).size() == 1;
}

// The command at 9600, then the line at 115200; an upload's first byte read.
bool TestModuleSimulatorLine::startTransfer(TransferKind kind)
{
    const bool download = kind == TransferKind::Download;
    return m_line->write(download ? downloadFrame(0) : uploadFrame(0)) && reopen(BulkBaud)
           && (download || m_line->read(1, AnswerMs).size() == 1);
}

// One slot each way, without the 'U' or 'C' after it.
bool TestModuleSimulatorLine::moveSlot(TransferKind kind)
{
    return kind == TransferKind::Download ? downloadSlot(QByteArray(SlotSize, 'd'))
                                          : m_line->read(SlotSize, AnswerMs).size() == SlotSize;
}

void TestModuleSimulatorLine::learnAnswersAckThenCapture_data()
{
    QTest::addColumn<IrProtocol>("protocol");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("captureSize");

    QTest::newRow("NEC normal") << IrProtocol::Nec << 1 << 331;
    QTest::newRow("NEC RC5/RC6 format") << IrProtocol::Nec << 2 << 662;
    QTest::newRow("Sony normal") << IrProtocol::Sirc << 1 << 331;
    QTest::newRow("RC5 normal") << IrProtocol::Rc5 << 1 << 331;
    QTest::newRow("RC5 RC5/RC6 format") << IrProtocol::Rc5 << 2 << 662;
    QTest::newRow("RC6 RC5/RC6 format") << IrProtocol::Rc6 << 2 << 662;
}

void TestModuleSimulatorLine::learnAnswersAckThenCapture()
{
    QFETCH(IrProtocol, protocol);
    QFETCH(int, format);
    QFETCH(int, captureSize);
    SimulatorSettings settings;
    settings.moduleId = 7;
    settings.key = {protocol, 0x12, 0x21};
    settings.captureDelayMs = 50;
    QVERIFY(start(settings));

    QVERIFY(m_line->write(learnFrame(7, format)));
    QCOMPARE(m_line->read(1, 1000).size(), 1);
    const QByteArray capture = m_line->read(captureSize, AnswerMs);
    QCOMPARE(capture, expectedCapture(settings.key, format));
    QVERIFY(m_line->readUntilQuiet(QuietMs / 4).isEmpty());
    QCOMPARE(capture.at(0), 'r');
    if (format == 2)
        QCOMPARE(capture.at(331), 'r');

    const SimulatorJournal journal = m_sim->journal();
    QCOMPARE(journal.frames.size(), 1);
    QCOMPARE(journal.frames.first().kind, FrameKind::Learn);
    QCOMPARE(journal.frames.first().bytes, learnFrame(7, format));
    QVERIFY(journal.frames.first().addressed);
    QCOMPARE(journal.counters.learnAcks, 1);
    QCOMPARE(journal.counters.captures, 1);
}

void TestModuleSimulatorLine::captureWithExtraBytes()
{
    SimulatorSettings settings;
    settings.captureDelayMs = 0;
    settings.faults.captureExtraBytes = 4;
    QVERIFY(start(settings));

    QVERIFY(m_line->write(learnFrame(0, 1)));
    QCOMPARE(m_line->read(1, 1000).size(), 1);
    const QByteArray capture = m_line->readUntilQuiet(QuietMs);
    QCOMPARE(capture.size(), 335);
    QCOMPARE(capture.first(331), expectedCapture(settings.key, 1));
    QCOMPARE(capture.sliced(331), QByteArray(4, '\0'));
}

void TestModuleSimulatorLine::learnWithoutAcknowledgement()
{
    SimulatorSettings settings;
    settings.captureDelayMs = 0;
    settings.faults.noLearnAck = true;
    QVERIFY(start(settings));

    QVERIFY(m_line->write(learnFrame(0, 1)));
    QVERIFY(m_line->readUntilQuiet(QuietMs).isEmpty());
    QCOMPARE(m_sim->journal().counters.frames, 1);
    QCOMPARE(m_sim->journal().counters.learnAcks, 0);

    // The fault can be lifted while the module runs.
    m_sim->setFaults({});
    QVERIFY(learnAcknowledged(0));
}

void TestModuleSimulatorLine::escapeCancelsPendingCapture()
{
    SimulatorSettings settings;
    settings.captureDelayMs = QuietMs / 2;
    QVERIFY(start(settings));

    QVERIFY(m_line->write(learnFrame(0, 1)));
    QCOMPARE(m_line->read(1, 1000).size(), 1);
    QVERIFY(m_line->write(escFrame()));
    QTRY_COMPARE(m_sim->journal().counters.captureCancels, 1);
    QVERIFY(m_line->readUntilQuiet(QuietMs).isEmpty());
    QCOMPARE(m_sim->journal().counters.captures, 0);
}

void TestModuleSimulatorLine::framesForAnotherModuleGetNoAnswer_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<FrameKind>("kind");

    QTest::newRow("LEARN") << learnFrame(3, 1) << FrameKind::Learn;
    QTest::newRow("SEND") << sendFrame(3, 0xFF) << FrameKind::Send;
    QTest::newRow("STOP") << stopFrame(3) << FrameKind::Stop;
    QTest::newRow("DOWNLOADALL") << downloadFrame(3) << FrameKind::DownloadAll;
    QTest::newRow("UPLOADALL") << uploadFrame(3) << FrameKind::UploadAll;
}

void TestModuleSimulatorLine::framesForAnotherModuleGetNoAnswer()
{
    QFETCH(QByteArray, bytes);
    QFETCH(FrameKind, kind);
    SimulatorSettings settings;
    settings.moduleId = 5;
    settings.captureDelayMs = 0;
    QVERIFY(start(settings));

    QVERIFY(m_line->write(bytes));
    QVERIFY(m_line->readUntilQuiet(QuietMs).isEmpty());
    const SimulatorJournal journal = m_sim->journal();
    QCOMPARE(journal.frames.size(), 1);
    QCOMPARE(journal.frames.first().kind, kind);
    QVERIFY(!journal.frames.first().addressed);
    QCOMPARE(journal.counters.framesForOthers, 1);
    QVERIFY(journal.transfers.isEmpty());

    // Still listening for its own frames at 9600.
    QVERIFY(learnAcknowledged(5));
}

void TestModuleSimulatorLine::escapeReachesEveryModule()
{
    SimulatorSettings settings;
    settings.moduleId = 9;
    settings.captureDelayMs = QuietMs / 2;
    QVERIFY(start(settings));

    QVERIFY(learnAcknowledged(9));
    QVERIFY(m_line->write(escFrame()));
    QTRY_COMPARE(m_sim->journal().counters.captureCancels, 1);
    QVERIFY(m_sim->journal().frames.last().addressed);
    QVERIFY(m_line->readUntilQuiet(QuietMs).isEmpty());
}

void TestModuleSimulatorLine::resynchronisesAfterGarbage()
{
    SimulatorSettings settings;
    settings.captureDelayMs = 0;
    QVERIFY(start(settings));

    // Noise, a frame cut short by a new one, a frame with a bad end byte, then a good LEARN.
    QByteArray noise("\x01\x02zz", 4);
    noise += learnFrame(0, 1).first(6);
    noise += sendFrame(0, 1).first(9) + "X";
    QVERIFY(m_line->write(noise + learnFrame(0, 1)));
    QCOMPARE(m_line->read(1, 1000), QByteArray("A"));
    QCOMPARE(m_line->read(331, AnswerMs).size(), 331);

    const SimulatorJournal journal = m_sim->journal();
    QCOMPARE(journal.counters.frames, 1);
    QCOMPARE(journal.counters.garbageBytes, int(noise.size()));
}

void TestModuleSimulatorLine::sendTakesBlockUntilStop()
{
    SimulatorSettings settings;
    settings.moduleId = 2;
    QVERIFY(start(settings));
    QSignalSpy transmitted(m_sim.get(), &ModuleSimulator::blockTransmitted);

    QVERIFY(m_line->write(sendFrame(2, 0xA5)));
    QCOMPARE(m_line->read(1, AnswerMs), QByteArray("A"));
    const QByteArray block = expectedCapture(settings.key, 1);
    QVERIFY(m_line->write(block));
    QTRY_COMPARE(m_sim->journal().blocks.size(), 1);
    QCOMPARE(m_sim->journal().blocks.first().bytes, block);
    QCOMPARE(m_sim->journal().blocks.first().portMask, quint8(0xA5));
    QVERIFY(m_sim->journal().transmitting);
    QTRY_COMPARE(transmitted.size(), 1);
    QCOMPARE(transmitted.first().at(0).toByteArray(), block);

    QVERIFY(m_line->write(stopFrame(2)));
    QCOMPARE(m_line->read(4, AnswerMs), QByteArray("\xE0\x02K\xEF"));
    QVERIFY(m_line->readUntilQuiet(QuietMs / 4).isEmpty());
    QVERIFY(!m_sim->journal().transmitting);
    QCOMPARE(m_sim->journal().counters.stops, 1);
    QCOMPARE(m_sim->journal().frames.last().kind, FrameKind::Stop);
}

void TestModuleSimulatorLine::sendReplyFaults_data()
{
    QTest::addColumn<SendReply>("reply");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("refuse") << SendReply::Refuse << QByteArray("B");
    QTest::newRow("garbage") << SendReply::Garbage << QByteArray("\xFF");
    QTest::newRow("two bytes") << SendReply::TwoBytes << QByteArray("AA");
    QTest::newRow("silence") << SendReply::Silence << QByteArray();
}

void TestModuleSimulatorLine::sendReplyFaults()
{
    QFETCH(SendReply, reply);
    QFETCH(QByteArray, expected);
    SimulatorSettings settings;
    settings.faults.sendReply = reply;
    QVERIFY(start(settings));

    QVERIFY(m_line->write(sendFrame(0, 0x01)));
    QCOMPARE(m_line->readUntilQuiet(QuietMs), expected);
    QCOMPARE(m_sim->journal().counters.sendReplies, 1);

    // No block is taken: the next frame is read as a frame.
    QVERIFY(learnAcknowledged(0));
    QVERIFY(m_sim->journal().blocks.isEmpty());
}

void TestModuleSimulatorLine::downloadWritesEveryslotToFile()
{
    QVERIFY(start());
    const QString eepromPath = m_dir->filePath(QStringLiteral("eeprom.bin"));
    QVERIFY2(m_sim->useEepromFile(eepromPath), qPrintable(m_sim->errorString()));
    QSignalSpy finished(m_sim.get(), &ModuleSimulator::transferFinished);

    QVERIFY(m_line->write(downloadFrame(0)));
    QVERIFY(reopen(BulkBaud));
    for (int slot = 0; slot < SlotCount; ++slot) {
        QVERIFY2(downloadSlot(slotPattern(slot)), qPrintable(QStringLiteral("slot %1").arg(slot)));
        QVERIFY(m_line->write("U"));
    }
    QTRY_COMPARE(m_sim->journal().transfers.size(), 1);
    const TransferRecord record = m_sim->journal().transfers.first();
    QCOMPARE(record.kind, TransferKind::Download);
    QCOMPARE(record.outcome, TransferOutcome::Completed);
    QCOMPARE(record.slotsMoved, SlotCount);
    QCOMPARE(m_sim->journal().counters.slotsWritten, SlotCount);
    QTRY_COMPARE(finished.size(), 1);

    QFile file(eepromPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), imagePattern());

    QVERIFY(reopen(NormalBaud));
    QVERIFY(learnAcknowledged(0));
}

void TestModuleSimulatorLine::uploadSendsEveryslot()
{
    QVERIFY(start());
    const QString eepromPath = m_dir->filePath(QStringLiteral("eeprom.bin"));
    {
        QFile file(eepromPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(imagePattern()), qint64(SlotCount * SlotSize));
    }
    QVERIFY2(m_sim->useEepromFile(eepromPath), qPrintable(m_sim->errorString()));

    QVERIFY(m_line->write(uploadFrame(0)));
    QVERIFY(reopen(BulkBaud));
    QCOMPARE(m_line->read(1, AnswerMs).size(), 1);
    for (int slot = 0; slot < SlotCount; ++slot) {
        const QByteArray data = m_line->read(SlotSize, AnswerMs);
        QVERIFY2(data == slotPattern(slot), qPrintable(QStringLiteral("slot %1").arg(slot)));
        QVERIFY(m_line->write("U"));
    }
    QTRY_COMPARE(m_sim->journal().transfers.size(), 1);
    const TransferRecord record = m_sim->journal().transfers.first();
    QCOMPARE(record.kind, TransferKind::Upload);
    QCOMPARE(record.outcome, TransferOutcome::Completed);
    QCOMPARE(record.slotsMoved, SlotCount);
    QCOMPARE(m_sim->journal().counters.slotsSent, SlotCount);
    QVERIFY(m_line->readUntilQuiet(QuietMs / 4).isEmpty());
}

void TestModuleSimulatorLine::bulkRefusedAtNormalRate_data()
{
    QTest::addColumn<TransferKind>("kind");
    QTest::newRow("download") << TransferKind::Download;
    QTest::newRow("upload") << TransferKind::Upload;
}

void TestModuleSimulatorLine::bulkRefusedAtNormalRate()
{
    QFETCH(TransferKind, kind);
    SimulatorSettings settings;
    settings.phaseTimeoutMs = QuietMs;
    QVERIFY(start(settings));

    // The program forgets to switch to 115200.
    if (kind == TransferKind::Download) {
        QVERIFY(m_line->write(downloadFrame(0)));
        QVERIFY(m_line->write(slotPattern(0).first(HalfSlot)));
    } else {
        QVERIFY(m_line->write(uploadFrame(0)));
    }
    QVERIFY(m_line->readUntilQuiet(2 * QuietMs).isEmpty());
    QTRY_COMPARE(m_sim->journal().transfers.size(), 1);
    QCOMPARE(m_sim->journal().transfers.first().kind, kind);
    QCOMPARE(m_sim->journal().transfers.first().outcome, TransferOutcome::WrongSpeed);
    QCOMPARE(m_sim->journal().transfers.first().slotsMoved, 0);
    QCOMPARE(m_sim->journal().counters.slotsWritten, 0);
    QCOMPARE(m_sim->eeprom(), QByteArray(SlotCount * SlotSize, '\xFF'));

    QVERIFY(learnAcknowledged(0));
}

void TestModuleSimulatorLine::transferFallsSilent_data()
{
    QTest::addColumn<TransferKind>("kind");
    QTest::addColumn<bool>("afterHalf");

    QTest::newRow("download, slot") << TransferKind::Download << false;
    QTest::newRow("download, half a slot") << TransferKind::Download << true;
    QTest::newRow("upload, slot") << TransferKind::Upload << false;
    QTest::newRow("upload, half a slot") << TransferKind::Upload << true;
}

void TestModuleSimulatorLine::transferFallsSilent()
{
    QFETCH(TransferKind, kind);
    QFETCH(bool, afterHalf);
    constexpr int SilentSlot = 2;
    SimulatorSettings settings;
    settings.faults.silentAtSlot = SilentSlot;
    settings.faults.silentAfterHalfSlot = afterHalf;
    QVERIFY(start(settings));
    QVERIFY(m_sim->setEeprom(imagePattern()));

    if (kind == TransferKind::Download) {
        QVERIFY(m_line->write(downloadFrame(0)));
        QVERIFY(reopen(BulkBaud));
        for (int slot = 0; slot < SilentSlot; ++slot) {
            QVERIFY(downloadSlot(QByteArray(SlotSize, 'd')));
            QVERIFY(m_line->write("U"));
        }
        QVERIFY(m_line->write(QByteArray(HalfSlot, 'd')));
        QCOMPARE(m_line->readUntilQuiet(QuietMs).size(), afterHalf ? 1 : 0);
        QVERIFY(m_line->write(QByteArray(HalfSlot, 'd')));
        QVERIFY(m_line->readUntilQuiet(QuietMs).isEmpty());
        QCOMPARE(m_sim->eepromSlot(SilentSlot - 1), QByteArray(SlotSize, 'd'));
        QCOMPARE(m_sim->eepromSlot(SilentSlot), slotPattern(SilentSlot));
    } else {
        QVERIFY(m_line->write(uploadFrame(0)));
        QVERIFY(reopen(BulkBaud));
        QCOMPARE(m_line->read(1, AnswerMs).size(), 1);
        for (int slot = 0; slot < SilentSlot; ++slot) {
            QCOMPARE(m_line->read(SlotSize, AnswerMs), slotPattern(slot));
            QVERIFY(m_line->write("U"));
        }
        const QByteArray partial = m_line->readUntilQuiet(QuietMs);
        QCOMPARE(partial, afterHalf ? slotPattern(SilentSlot).first(HalfSlot) : QByteArray());
    }
    QTRY_COMPARE(m_sim->journal().transfers.size(), 1);
    QCOMPARE(m_sim->journal().transfers.first().outcome, TransferOutcome::Silenced);
    QCOMPARE(m_sim->journal().transfers.first().slotsMoved, SilentSlot);

    // The program gives up and goes back to 9600; the module listens again.
    QVERIFY(reopen(NormalBaud));
    QVERIFY(learnAcknowledged(0));
}

void TestModuleSimulatorLine::transferCancelledAfterSlot_data()
{
    bulkRefusedAtNormalRate_data();
}

void TestModuleSimulatorLine::transferCancelledAfterSlot()
{
    QFETCH(TransferKind, kind);
    QVERIFY(start());

    if (kind == TransferKind::Download) {
        QVERIFY(m_line->write(downloadFrame(0)));
        QVERIFY(reopen(BulkBaud));
        QVERIFY(downloadSlot(QByteArray(SlotSize, 'a')));
        QVERIFY(m_line->write("U"));
        QVERIFY(downloadSlot(QByteArray(SlotSize, 'b')));
    } else {
        QVERIFY(m_line->write(uploadFrame(0)));
        QVERIFY(reopen(BulkBaud));
        QCOMPARE(m_line->read(1, AnswerMs).size(), 1);
        QCOMPARE(m_line->read(SlotSize, AnswerMs).size(), SlotSize);
        QVERIFY(m_line->write("U"));
        QCOMPARE(m_line->read(SlotSize, AnswerMs).size(), SlotSize);
    }
    QVERIFY(m_line->write("C"));
    QVERIFY(reopen(NormalBaud));

    QTRY_COMPARE(m_sim->journal().transfers.size(), 1);
    QCOMPARE(m_sim->journal().transfers.first().outcome, TransferOutcome::Cancelled);
    QCOMPARE(m_sim->journal().transfers.first().slotsMoved, 2);
    if (kind == TransferKind::Download) {
        QCOMPARE(m_sim->eepromSlot(1), QByteArray(SlotSize, 'b'));
        QCOMPARE(m_sim->eepromSlot(2), QByteArray(SlotSize, '\xFF'));
    }
    QVERIFY(m_line->readUntilQuiet(QuietMs / 4).isEmpty());
    QVERIFY(learnAcknowledged(0));
}

void TestModuleSimulatorLine::bytesAtBulkRateOutsideTransferIgnored_data()
{
    QTest::addColumn<QByteArray>("atNormalRate");
    QTest::addColumn<QByteArray>("atBulkRate");

    QTest::newRow("DOWNLOADALL") << QByteArray() << downloadFrame(0);
    QTest::newRow("UPLOADALL") << QByteArray() << uploadFrame(0);
    QTest::newRow("LEARN") << QByteArray() << learnFrame(0, 1);
    QTest::newRow("block after SEND") << sendFrame(0, 0x01) << expectedCapture(IrKey{}, 1);
}

// A program that switches to 115200 before its bytes for 9600 have gone.
void TestModuleSimulatorLine::bytesAtBulkRateOutsideTransferIgnored()
{
    QFETCH(QByteArray, atNormalRate);
    QFETCH(QByteArray, atBulkRate);
    SimulatorSettings settings;
    settings.captureDelayMs = 0;
    settings.phaseTimeoutMs = QuietMs / 2;
    QVERIFY(start(settings));
    if (!atNormalRate.isEmpty()) {
        QVERIFY(m_line->write(atNormalRate));
        QCOMPARE(m_line->read(1, AnswerMs), QByteArray("A"));
    }

    QVERIFY(reopen(BulkBaud));
    QVERIFY(m_line->write(atBulkRate));
    QVERIFY(m_line->readUntilQuiet(QuietMs).isEmpty());
    const SimulatorJournal journal = m_sim->journal();
    QCOMPARE(journal.counters.wrongRateBytes, int(atBulkRate.size()));
    QCOMPARE(journal.frames.size(), atNormalRate.isEmpty() ? 0 : 1);
    QVERIFY(journal.blocks.isEmpty());
    QVERIFY(journal.transfers.isEmpty());

    QVERIFY(reopen(NormalBaud));
    QVERIFY(learnAcknowledged(0));
}

void TestModuleSimulatorLine::lastByteAtNormalRateEndsTransfer_data()
{
    QTest::addColumn<TransferKind>("kind");
    QTest::addColumn<int>("slotsMoved");
    QTest::addColumn<QByteArray>("last");

    QTest::newRow("download, final 'U'") << TransferKind::Download << SlotCount << QByteArray("U");
    QTest::newRow("download, 'C'") << TransferKind::Download << 1 << QByteArray("C");
    QTest::newRow("upload, final 'U'") << TransferKind::Upload << SlotCount << QByteArray("U");
    QTest::newRow("upload, 'C'") << TransferKind::Upload << 1 << QByteArray("C");
}

// A program that switches back to 9600 before its 'U' or 'C' has gone: the
// module never sees it and does not take the transfer as completed or cancelled.
void TestModuleSimulatorLine::lastByteAtNormalRateEndsTransfer()
{
    QFETCH(TransferKind, kind);
    QFETCH(int, slotsMoved);
    QFETCH(QByteArray, last);
    QVERIFY(start());
    QVERIFY(startTransfer(kind));
    for (int slot = 0; slot < slotsMoved; ++slot) {
        QVERIFY2(moveSlot(kind), qPrintable(QStringLiteral("slot %1").arg(slot)));
        if (slot + 1 < slotsMoved)
            QVERIFY(m_line->write("U"));
    }

    QVERIFY(reopen(NormalBaud));
    QVERIFY(m_line->write(last));
    // The journal of a simulator in its own thread records the transfer before the count.
    QTRY_COMPARE(m_sim->journal().counters.wrongRateBytes, 1);
    QTRY_COMPARE(m_sim->journal().transfers.size(), 1);
    const SimulatorJournal journal = m_sim->journal();
    QCOMPARE(journal.transfers.first().outcome, TransferOutcome::WrongSpeed);
    QCOMPARE(journal.transfers.first().slotsMoved, slotsMoved);

    QVERIFY(learnAcknowledged(0));
}

void TestModuleSimulatorLine::pacedLineSpreadsCapture()
{
    SimulatorSettings settings;
    settings.captureDelayMs = 0;
    settings.paced = true;
    QVERIFY(start(settings));

    QVERIFY(m_line->write(learnFrame(0, 1)));
    QCOMPARE(m_line->read(1, AnswerMs).size(), 1);
    // At 9600 baud 331 bytes take about a third of a second on the wire.
    const QByteArray capture = m_line->read(331, AnswerMs);
    QCOMPARE(capture, expectedCapture(settings.key, 1));
    QVERIFY(m_line->lastReadPieces() > 1);
}

void TestModuleSimulatorLine::linkLivesAsLongAsSimulator()
{
    const QString link = m_dir->filePath(QStringLiteral("COM1"));
    QVERIFY(QFile::link(QStringLiteral("/nonexistent/pts"), link)); // left behind by a crash
    QVERIFY(start());
    QCOMPARE(m_sim->linkPath(), link);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), m_sim->slavePath());

    m_line.reset();
    m_sim.reset();
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(!QFileInfo::exists(link));
}

void TestModuleSimulatorLine::linkOverRegularFileRefused()
{
    QFETCH_GLOBAL(bool, ownThread);
    const QString path = m_dir->filePath(QStringLiteral("COM1"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    ModuleSimulator sim;
    QVERIFY(!(ownThread ? sim.startInThread(path) : sim.open(path)));
    QVERIFY(sim.errorString().contains(path));
    QVERIFY(QFileInfo(path).isFile());
}

QTEST_GUILESS_MAIN(TestModuleSimulatorLine)
#include "tst_modsimline.moc"
