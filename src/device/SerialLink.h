#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class Prompt;
class QSerialPort;

// The one serial port of the process and its state: the open port (hComm, or
// none), the rate the next open applies, the name every reopen uses, the learn
// receive buffer and the figures of the last read, write and status poll.
//
// Waits never spin: they run a nested event loop that wakes when bytes arrive,
// at the deadline, or on wakeWait(); other handlers of the program run inside
// them. The exchanges on top (learn, send, transfers) take the line with
// claim() so that no second exchange starts inside such a wait.
class SerialLink final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SerialLink)

public:
    // Status of the last poll; only the receive queue count is kept.
    struct CommStatus
    {
        quint32 cbInQue = 0;
    };

    // What the link does to the port, in order. Bytes written must have left
    // the port before it is closed or changes rate (see drain()).
    enum class LineStep {
        Write,   // bytes handed to the port; the value is their count
        Drain,   // the bytes written before have left, or were dropped
        Close,
        Open,
        SetRate, // the value is the rate
    };
    Q_ENUM(LineStep)

    static constexpr int InBuffSize = 4096;
    static constexpr qint32 NormalBaudrate = 9600;
    static constexpr qint32 TransferBaudrate = 115200;

    explicit SerialLink(Prompt &prompt, QObject *parent = nullptr);

    // The open port, or nullptr (the invalid handle) when none is open.
    [[nodiscard]] QSerialPort *hComm() const;
    [[nodiscard]] bool isOpen() const;

    [[nodiscard]] qint32 iBaudrate() const { return m_iBaudrate; }
    // Applies from the next OpenComm on.
    void setIBaudrate(qint32 rate) { m_iBaudrate = rate; }
    [[nodiscard]] const QString &sCommName() const { return m_sCommName; }
    void setSCommName(const QString &name) { m_sCommName = name; }
    [[nodiscard]] QByteArray &inbuff() { return m_inbuff; }
    [[nodiscard]] quint32 lrc() const { return m_lrc; }
    [[nodiscard]] quint32 nBytesRead() const { return m_nBytesRead; }
    [[nodiscard]] quint32 dwError() const { return m_dwError; }
    [[nodiscard]] const CommStatus &cs() const { return m_cs; }

    // Where a name "COMn" is looked for as a link or device before it falls
    // back to /dev/ttyS(n-1); the program's directory unless set.
    [[nodiscard]] const QString &portDirectory() const { return m_portDirectory; }
    void setPortDirectory(const QString &directory) { m_portDirectory = directory; }
    // The device path QSerialPort opens for a port name.
    [[nodiscard]] static QString resolvePortName(const QString &name, const QString &directory);

    // Closes any open port and opens name exclusively, 8-N-1 at iBaudrate,
    // without flow control. Failures are told to the user ("Open Error",
    // "Set Error") and leave no port open.
    bool OpenComm(const QString &name);
    // Lets the bytes written leave first (drain()).
    void closePort();

    // Waits at most seconds until count bytes are queued, then reads exactly
    // count of them into buffer; later bytes stay queued. False, with nothing
    // read, once strictly more than seconds * 1000 ms have passed.
    [[nodiscard]] bool ReadComm(char *buffer, int count, int seconds);
    // Writes synchronously; on failure reopens sCommName once and writes again.
    bool WriteComm(const char *buffer, int count);
    bool WriteComm(const QByteArray &bytes) { return WriteComm(bytes.constData(), int(bytes.size())); }
    // One byte straight to the port, without the reopen-and-retry.
    bool writeByte(char byte);
    // Drops every received byte, those still held by the driver included.
    void purgeRx();
    // Takes in what the driver holds, updates cs and dwError, and returns the
    // number of bytes queued.
    int pollQueued();
    // Reads up to maxCount queued bytes into buffer; returns the count, which
    // nBytesRead also gets.
    int readQueued(char *buffer, int maxCount);

    // Runs the program's events until bytes arrive, wakeWait() is called, or
    // timeoutMs passes (never, when negative). False when no events run any
    // more because the application is quitting: waits must end then.
    [[nodiscard]] bool waitForInput(qint64 timeoutMs);
    // Ends the innermost waitForInput() now.
    void wakeWait();
    // Runs the program's events for ms milliseconds; false, at once, when the
    // application has quit.
    static bool pause(int ms, QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);

    // Items of the COM box, "Close" last.
    [[nodiscard]] static QStringList comBoxItems();
    // The COM box handler: opens the chosen port, or closes the open one for
    // "Close". Returns the new text of the port panel of the status bar
    // ("No port" or the port name), or nothing when it keeps its text.
    std::optional<QString> ComboBox2Change(const QString &itemText);

    // One exchange with the module at a time: claim() is false while another
    // holds the line.
    [[nodiscard]] bool claim();
    void release();
    [[nodiscard]] bool isBusy() const { return m_busy; }

signals:
    void lineStep(SerialLink::LineStep step, qint64 value);

private:
    [[nodiscard]] bool applyLineSettings();
    [[nodiscard]] bool writeOnce(const char *buffer, int count);
    void drain();
    void finishDrain(bool left);
    void noteHandedOver(qint64 count);

    Prompt &m_prompt;
    QSerialPort *m_port;
    qint32 m_iBaudrate = NormalBaudrate;
    QString m_sCommName;
    QByteArray m_inbuff;
    quint32 m_lrc = 0;
    quint32 m_nBytesRead = 0;
    quint32 m_dwError = 0;
    CommStatus m_cs;
    QString m_portDirectory;
    QList<QEventLoop *> m_waits;
    bool m_busy = false;
    // Bytes were written since the last drain.
    bool m_undrained = false;
    // When the bytes last handed to the driver will have crossed the wire, on m_clock.
    qint64 m_lineFreeNs = 0;
    QElapsedTimer m_clock;
};
