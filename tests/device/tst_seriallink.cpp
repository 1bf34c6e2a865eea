#include "LineTrace.h"
#include "RawPty.h"
#include "support/ScriptedPrompt.h"
#include "core/device/Frames.h"
#include "core/device/SerialLink.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// The serial link over a real pseudo-terminal: the test plays the module on
// the master end.
class TestSerialLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void ptyOpensAsPort();
    void comNameResolution_data();
    void comNameResolution();
    void comLinkInDirectoryOpens();
    void unopenablePortTellsUser();
    void badSettingsTellUser();
    void portIsExclusive();
    void closeAndReopen();
    void vanishedDeviceIsClosed();
    void closeWithoutPortChangesNothing();
    void transferRateAppliesOnReopen();

    void readLeavesExtraBytesQueued();
    void readWakesWhenBytesArrive();
    void readFailsAfterLimitWithPartialCount();
    void readFailsWithoutPort();
    void purgeDropsDriverBytes();

    void framesGoOutByteExact_data();
    void framesGoOutByteExact();
    void writeReopensOnceAfterFailure();
    void writeAfterCloseTellsUser();
    void directByteWriteDoesNotRetry();
    void waitsEndOnceApplicationQuits();
    void closeLetsWrittenBytesLeaveFirst_data();
    void closeLetsWrittenBytesLeaveFirst();
    void writeWaitRunsEvents();

    void unaskedFloodIsDroppedAndTold();
    void floodDuringAnExchangeStaysBounded();

private:
    void openOnPty();
    // Sends to the link without pause for ms, while the program's events
    // run; returns the count of bytes sent.
    qint64 flood(int ms);

    ScriptedPrompt m_prompt;
    std::unique_ptr<RawPty> m_pty;
    std::unique_ptr<SerialLink> m_link;
    QTemporaryDir m_dir;
};

void TestSerialLink::init()
{
    m_prompt.clear();
    m_pty = std::make_unique<RawPty>();
    QVERIFY(m_pty->isOpen());
    m_link = std::make_unique<SerialLink>(m_prompt);
    m_link->setPortDirectory(m_dir.path());
}

void TestSerialLink::cleanup()
{
    m_link.reset();
    m_pty.reset();
    QFile::remove(m_dir.filePath(QStringLiteral("COM1")));
    QFile::remove(m_dir.filePath(QStringLiteral("COM7")));
}

void TestSerialLink::openOnPty()
{
    QFile::link(m_pty->slavePath(), m_dir.filePath(QStringLiteral("COM1")));
    QCOMPARE(m_link->choosePort(QStringLiteral("COM1")), QStringLiteral("COM1"));
    QVERIFY(m_link->port() != nullptr);
}

void TestSerialLink::ptyOpensAsPort()
{
    QVERIFY(m_link->port() == nullptr);
    QVERIFY(m_link->open(m_pty->slavePath()));
    QVERIFY(m_link->port() != nullptr);
    QCOMPARE(m_pty->baudrate(), 9600);
    QVERIFY(m_pty->is8N1());
    QCOMPARE(m_link->port()->flowControl(), QSerialPort::NoFlowControl);
    QVERIFY(m_prompt.asked().isEmpty());
}

void TestSerialLink::comNameResolution_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("linkTarget"); // empty: no link in the directory
    QTest::addColumn<QString>("expected");   // "<link>": the link's own path

    QTest::newRow("COM3 without link") << "COM3" << QString() << "/dev/ttyS2";
    QTest::newRow("COM12 without link") << "COM12" << QString() << "/dev/ttyS11";
    QTest::newRow("link to a device") << "COM1" << "/dev/null" << "/dev/null";
    QTest::newRow("dangling link") << "COM7" << "/nonexistent/tty" << "<link>";
    QTest::newRow("NoPort") << "NoPort" << QString() << "NoPort";
    QTest::newRow("full path") << "/dev/pts/5" << QString() << "/dev/pts/5";
    QTest::newRow("COM0") << "COM0" << QString() << "COM0";
    QTest::newRow("lower case") << "com1" << QString() << "com1";
}

void TestSerialLink::comNameResolution()
{
    QFETCH(QString, name);
    QFETCH(QString, linkTarget);
    QFETCH(QString, expected);
    const QString linkPath = QDir(m_dir.path()).filePath(name);
    if (!linkTarget.isEmpty())
        QVERIFY(QFile::link(linkTarget, linkPath));
    QCOMPARE(SerialLink::resolvePortName(name, m_dir.path()),
             expected == QLatin1String("<link>") ? linkPath : expected);
}

void TestSerialLink::comLinkInDirectoryOpens()
{
    openOnPty();
    QCOMPARE(m_link->portName(), QStringLiteral("COM1"));
    const QByteArray frame = Frames::esc();
    QVERIFY(m_link->write(frame));
    QCOMPARE(m_pty->readAll(), frame);
}

void TestSerialLink::unopenablePortTellsUser()
{
    QVERIFY(QFile::link(QStringLiteral("/nonexistent/tty"), m_dir.filePath(QStringLiteral("COM7"))));
    QCOMPARE(m_link->choosePort(QStringLiteral("COM7")), QStringLiteral("No port"));
    QCOMPARE(m_link->portName(), QStringLiteral("COM7"));
    QVERIFY(m_link->port() == nullptr);
    QCOMPARE(m_prompt.asked().size(), 1);
    QCOMPARE(m_prompt.asked().first().title, QStringLiteral("Open Error"));
    // The box says why, after its own first line.
    QVERIFY(m_prompt.asked().first().text.startsWith(
        QStringLiteral("Error opening serial port!\nThere is no device at %1").arg(m_dir.filePath(QStringLiteral("COM7")))));
    QCOMPARE(m_link->lastOpenFailure().kind(), PortOpenFailure::Kind::NotFound);
}

void TestSerialLink::badSettingsTellUser()
{
    m_link->setBaudRate(0);
    QVERIFY(!m_link->open(m_pty->slavePath()));
    QVERIFY(m_link->port() == nullptr);
    QCOMPARE(m_prompt.asked().size(), 1);
    QCOMPARE(m_prompt.asked().first().title, QStringLiteral("Set Error"));
    QCOMPARE(m_prompt.asked().first().text, QStringLiteral("Error setting serial port!"));
    // The port was released: it opens again with good settings.
    m_link->setBaudRate(SerialLink::NormalBaudrate);
    QVERIFY(m_link->open(m_pty->slavePath()));
}

void TestSerialLink::portIsExclusive()
{
    QVERIFY(m_link->open(m_pty->slavePath()));
    SerialLink other(m_prompt);
    QVERIFY(!other.open(m_pty->slavePath()));
    QCOMPARE(m_prompt.texts().size(), 1);
    QVERIFY(m_prompt.texts().first().startsWith(
        QStringLiteral("Error opening serial port!\n%1 is in use by another program").arg(m_pty->slavePath())));
    QCOMPARE(other.lastOpenFailure().kind(), PortOpenFailure::Kind::Busy);
}

void TestSerialLink::closeAndReopen()
{
    openOnPty();
    QCOMPARE(m_link->choosePort(QStringLiteral("Close")), QStringLiteral("No port"));
    QVERIFY(m_link->port() == nullptr);
    QCOMPARE(m_link->portName(), QStringLiteral("NoPort"));
    QCOMPARE(m_link->choosePort(QStringLiteral("COM1")), QStringLiteral("COM1"));
    QVERIFY(m_link->write(QByteArrayLiteral("x")));
    QCOMPARE(m_pty->readAll(), QByteArrayLiteral("x"));
    QVERIFY(m_prompt.asked().isEmpty());
}

void TestSerialLink::vanishedDeviceIsClosed()
{
    openOnPty();
    QSignalSpy lost(m_link.get(), &SerialLink::portLost);
    // The far end goes away, as an unplugged adapter does, while a read waits:
    // the read ends then, long before its limit.
    QTimer::singleShot(50, this, [this] { m_pty.reset(); });
    QElapsedTimer clock;
    clock.start();
    char byte = 0;
    QVERIFY(!m_link->read(&byte, 1, 60));
    QVERIFY(clock.elapsed() < 30'000);
    QCOMPARE(lost.count(), 1);
    QVERIFY(m_link->port() == nullptr);
    QVERIFY(m_prompt.asked().isEmpty());

    // Choosing the port again tells why it does not open while the device is away.
    QCOMPARE(m_link->choosePort(QStringLiteral("COM1")), QStringLiteral("No port"));
    QCOMPARE(m_link->lastOpenFailure().kind(), PortOpenFailure::Kind::NotFound);
}

void TestSerialLink::closeWithoutPortChangesNothing()
{
    m_link->setPortName(QStringLiteral("COM4"));
    QCOMPARE(m_link->choosePort(QStringLiteral("Close")), std::nullopt);
    QCOMPARE(m_link->portName(), QStringLiteral("COM4"));
    QVERIFY(m_prompt.asked().isEmpty());
}

void TestSerialLink::transferRateAppliesOnReopen()
{
    openOnPty();
    m_link->setBaudRate(SerialLink::TransferBaudrate);
    QCOMPARE(m_pty->baudrate(), 9600);
    QVERIFY(m_link->open(m_link->portName()));
    QCOMPARE(m_pty->baudrate(), 115200);
    QCOMPARE(m_link->port()->baudRate(), 115200);
}

void TestSerialLink::readLeavesExtraBytesQueued()
{
    openOnPty();
    m_pty->write(QByteArrayLiteral("abc"));
    char first = 0;
    QVERIFY(m_link->read(&first, 1, 1));
    QCOMPARE(first, 'a');
    QCOMPARE(m_link->bytesRead(), 1u);
    char rest[2] = {};
    QVERIFY(m_link->read(rest, 2, 1));
    QCOMPARE(QByteArray(rest, 2), QByteArrayLiteral("bc"));
    QCOMPARE(m_link->pollQueued(), 0);
}

void TestSerialLink::readWakesWhenBytesArrive()
{
    openOnPty();
    QTimer::singleShot(300, [this] { m_pty->write(QByteArrayLiteral("late")); });
    char buffer[4] = {};
    QVERIFY(m_link->read(buffer, 4, 3));
    QCOMPARE(QByteArray(buffer, 4), QByteArrayLiteral("late"));
}

void TestSerialLink::readFailsAfterLimitWithPartialCount()
{
    openOnPty();
    m_pty->write(QByteArray(511, 'x'));
    QByteArray buffer(512, '\0');
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!m_link->read(buffer.data(), 512, 1));
    QVERIFY(clock.elapsed() > 1000);
    QCOMPARE(buffer, QByteArray(512, '\0'));
    QCOMPARE(m_link->cs().queued, 511u);
    // Nothing was taken from the queue.
    m_pty->write(QByteArrayLiteral("y"));
    QVERIFY(m_link->read(buffer.data(), 512, 1));
    QCOMPARE(buffer, QByteArray(511, 'x') + 'y');
}

void TestSerialLink::readFailsWithoutPort()
{
    char byte = 0;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!m_link->read(&byte, 1, 1));
    QVERIFY(clock.elapsed() > 1000);
    QCOMPARE(m_link->cs().queued, 0u);
    QVERIFY(m_prompt.asked().isEmpty());
}

void TestSerialLink::purgeDropsDriverBytes()
{
    openOnPty();
    // Bytes that arrive outside an exchange are dropped as they come.
    QVERIFY(m_link->claim());
    m_pty->write(QByteArrayLiteral("old"));
    SerialLink::pause(100);
    QCOMPARE(m_link->pollQueued(), 3);
    // These are still in the driver when the purge comes.
    m_pty->write(QByteArrayLiteral("older"));
    m_link->purgeRx();
    SerialLink::pause(100);
    QCOMPARE(m_link->pollQueued(), 0);
    m_pty->write(QByteArrayLiteral("new"));
    char buffer[3] = {};
    QVERIFY(m_link->read(buffer, 3, 1));
    QCOMPARE(QByteArray(buffer, 3), QByteArrayLiteral("new"));
}

void TestSerialLink::framesGoOutByteExact_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("LEARN") << Frames::learn(3, 2, 1) << QByteArray::fromHex("e0034c4541524e0201303030ef");
    QTest::newRow("LEARN time 0 rc5") << Frames::learn(15, 0, 2)
                                      << QByteArray::fromHex("e00f4c4541524e0002303030ef");
    QTest::newRow("ESC") << Frames::esc() << QByteArray::fromHex("e000455343ef");
    QTest::newRow("SEND a5") << Frames::send(7, 0xA5) << QByteArray::fromHex("e0074300050a303030ef");
    QTest::newRow("SEND ff") << Frames::send(0, 0xFF) << QByteArray::fromHex("e00043000f0f303030ef");
    QTest::newRow("STOP") << Frames::stop(9) << QByteArray::fromHex("e0094300a0aa000000ef");
    QTest::newRow("DOWNLOADALL") << Frames::downloadAll(1)
                                 << QByteArray::fromHex("e001444f574e4c4f4144414c4cef");
    QTest::newRow("UPLOADALL") << Frames::uploadAll(2) << QByteArray::fromHex("e00255504c4f4144414c4cef");
}

void TestSerialLink::framesGoOutByteExact()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, bytes);
    QCOMPARE(frame.toHex(), bytes.toHex());
    QVERIFY(m_link->open(m_pty->slavePath()));
    QVERIFY(m_link->write(frame));
    QCOMPARE(m_link->bytesWritten(), quint32(bytes.size()));
    QCOMPARE(m_pty->readAll().toHex(), bytes.toHex());
}

void TestSerialLink::writeReopensOnceAfterFailure()
{
    openOnPty();
    m_link->closePort();
    QVERIFY(m_link->write(QByteArrayLiteral("again")));
    QVERIFY(m_link->port() != nullptr);
    QCOMPARE(m_pty->readAll(), QByteArrayLiteral("again"));
    QVERIFY(m_prompt.asked().isEmpty());
}

void TestSerialLink::writeAfterCloseTellsUser()
{
    openOnPty();
    QVERIFY(m_link->choosePort(QStringLiteral("Close")).has_value());
    QVERIFY(!m_link->write(Frames::esc()));
    QCOMPARE(m_prompt.texts(), QStringList{QStringLiteral("Error opening serial port!\nNo port is chosen.\n"
                                                          "Choose one of COM1 to COM8 in the COM box.")});
    QCOMPARE(m_pty->readAll(200), QByteArray());
}

void TestSerialLink::directByteWriteDoesNotRetry()
{
    openOnPty();
    QVERIFY(m_link->writeByte(Frames::Continue));
    QCOMPARE(m_pty->readAll(), QByteArrayLiteral("U"));
    m_link->closePort();
    QVERIFY(!m_link->writeByte(Frames::Cancel));
    QVERIFY(m_link->port() == nullptr);
    QVERIFY(m_prompt.asked().isEmpty());
}

void TestSerialLink::waitsEndOnceApplicationQuits()
{
    openOnPty();
    bool read = true;
    bool waited = true;
    qint64 elapsed = -1;
    // The waits run inside the application's own loop, which then quits.
    QTimer::singleShot(0, QCoreApplication::instance(), [&] {
        QTimer::singleShot(100, QCoreApplication::instance(), &QCoreApplication::quit);
        QElapsedTimer clock;
        clock.start();
        char byte = 0;
        read = m_link->read(&byte, 1, 60);
        // The capture wait, which has no deadline, ends too.
        waited = m_link->waitForInput(-1);
        elapsed = clock.elapsed();
    });
    QCoreApplication::exec();
    QVERIFY(!read);
    QVERIFY(!waited);
    QVERIFY(elapsed < 60'000);
}

void TestSerialLink::closeLetsWrittenBytesLeaveFirst_data()
{
    QTest::addColumn<int>("releaseAfterMs");
    QTest::addColumn<QStringList>("lastSteps");
    QTest::addColumn<QByteArray>("arrived");

    QTest::newRow("line free again during the wait")
        << 300 << QStringList{QStringLiteral("write 1"), QStringLiteral("drain"), QStringLiteral("close")}
        << QByteArrayLiteral("U");
    // Nothing will leave: given up after a second, and the close does not hang.
    QTest::newRow("line held for good")
        << -1 << QStringList{QStringLiteral("write 1"), QStringLiteral("drop"), QStringLiteral("close")}
        << QByteArray();
}

void TestSerialLink::closeLetsWrittenBytesLeaveFirst()
{
    QFETCH(int, releaseAfterMs);
    QFETCH(QStringList, lastSteps);
    QFETCH(QByteArray, arrived);
    QVERIFY(m_pty->holdOutput(true));
    openOnPty();
    const LineTrace trace(*m_link);
    // The byte stays in the port's own buffer while the line is held.
    QVERIFY(!m_link->writeByte(Frames::Continue));
    if (releaseAfterMs >= 0)
        QTimer::singleShot(releaseAfterMs, [this] { QVERIFY(m_pty->holdOutput(false)); });

    QElapsedTimer clock;
    clock.start();
    m_link->closePort();
    const qint64 took = clock.elapsed();
    QVERIFY(m_link->port() == nullptr);
    QCOMPARE(trace.steps().mid(trace.steps().size() - 3), lastSteps);
    QVERIFY(took >= (releaseAfterMs >= 0 ? releaseAfterMs : 1000));
    QVERIFY(took < 2500);
    QVERIFY(m_pty->holdOutput(false));
    QCOMPARE(m_pty->readAll(300), arrived);
}

qint64 TestSerialLink::flood(int ms)
{
    const QByteArray chunk(4096, '\x5a');
    qint64 sent = 0;
    QTimer sender;
    sender.setInterval(1);
    connect(&sender, &QTimer::timeout, [&] {
        while (const qsizetype taken = m_pty->writeSome(chunk)) {
            sent += taken;
            if (taken < chunk.size())
                break;
        }
    });
    sender.start();
    SerialLink::pause(ms);
    return sent;
}

// Waiting for the bytes to leave runs the program's events: here the one
// that lets the line go on.
void TestSerialLink::writeWaitRunsEvents()
{
    QVERIFY(m_pty->holdOutput(true));
    openOnPty();
    const LineTrace trace(*m_link);
    bool writing = true;
    bool releasedWhileWriting = false;
    QTimer::singleShot(100, [&] {
        releasedWhileWriting = writing;
        QVERIFY(m_pty->holdOutput(false));
    });
    QVERIFY(m_link->write(QByteArrayLiteral("frame")));
    writing = false;
    QVERIFY(releasedWhileWriting);
    // The first attempt went through: no reopen.
    QCOMPARE(trace.steps(), QStringList{QStringLiteral("write 5")});
    QCOMPARE(m_pty->readAll(), QByteArrayLiteral("frame"));
}

void TestSerialLink::unaskedFloodIsDroppedAndTold()
{
    openOnPty();
    QSignalSpy told(m_link.get(), &SerialLink::unaskedInputChanged);
    const qint64 sent = flood(500);
    QVERIFY2(sent > 10 * SerialLink::ReadBufferLimit, qPrintable(QString::number(sent)));
    QVERIFY(m_link->pollQueued() <= SerialLink::ReadBufferLimit);
    QCOMPARE(told.size(), 1);
    QCOMPARE(told.first().first().toBool(), true);

    // Quiet again: the link says so.
    QTRY_COMPARE_WITH_TIMEOUT(told.size(), 2, SerialLink::UnaskedQuietMs + 2000);
    QCOMPARE(told.last().first().toBool(), false);
    QCOMPARE(m_link->pollQueued(), 0);

    // A few stray bytes are dropped without a word.
    m_pty->write(QByteArrayLiteral("xyz"));
    SerialLink::pause(200);
    QCOMPARE(m_link->pollQueued(), 0);
    QCOMPARE(told.size(), 2);
}

// During an exchange nothing is dropped, but the port holds no more than its
// limit; the next exchange starts on a clean line and hears its answer.
void TestSerialLink::floodDuringAnExchangeStaysBounded()
{
    openOnPty();
    QSignalSpy told(m_link.get(), &SerialLink::unaskedInputChanged);
    QVERIFY(m_link->claim());
    const qint64 sent = flood(500);
    QVERIFY2(sent > SerialLink::ReadBufferLimit, qPrintable(QString::number(sent)));
    QCOMPARE(m_link->pollQueued(), SerialLink::ReadBufferLimit);
    QVERIFY(told.isEmpty());

    m_link->purgeRx();
    m_pty->write(QByteArrayLiteral("ok"));
    char reply[2] = {};
    QVERIFY(m_link->read(reply, 2, 1));
    QCOMPARE(QByteArray(reply, 2), QByteArrayLiteral("ok"));
    m_link->release();
}

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
