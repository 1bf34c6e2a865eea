#pragma once

#include "core/device/PortLocator.h"
#include "core/device/PortOpenFailure.h"

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
class QTimer;

// The one serial port of the process and its state: the open port (port, or
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
    struct LineStatus
    {
        quint32 queued = 0;
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

    static constexpr int ReceiveBufferSize = 4096;
    // The most received bytes the port holds; the driver keeps the rest, so
    // a device that sends without pause cannot grow the program. Well above
    // what any exchange reads at once.
    static constexpr qint64 ReadBufferLimit = 16 * 1024;
    // Bytes arriving unasked (see unaskedInputChanged()) that make the link
    // say so, and the quiet time after which it stops saying so.
    static constexpr qint64 UnaskedLimit = 64;
    static constexpr int UnaskedQuietMs = 2000;
    static constexpr qint32 NormalBaudrate = 9600;
    static constexpr qint32 TransferBaudrate = 115200;

    explicit SerialLink(Prompt &prompt, QObject *parent = nullptr);

    // The open port, or nullptr (the invalid handle) when none is open.
    [[nodiscard]] QSerialPort *port() const;
    [[nodiscard]] bool isOpen() const;

    [[nodiscard]] qint32 baudRate() const { return m_baudRate; }
    // Applies from the next open on.
    void setBaudRate(qint32 rate) { m_baudRate = rate; }
    [[nodiscard]] const QString &portName() const { return m_portName; }
    void setPortName(const QString &name) { m_portName = name; }
    [[nodiscard]] QByteArray &received() { return m_received; }
    [[nodiscard]] quint32 bytesWritten() const { return m_bytesWritten; }
    [[nodiscard]] quint32 bytesRead() const { return m_bytesRead; }
    [[nodiscard]] quint32 lineErrors() const { return m_lineErrors; }
    [[nodiscard]] const LineStatus &cs() const { return m_status; }

    // Where port names lead: the folders searched for COMn links (the
    // program's directory unless set) and the user's port assignments.
    [[nodiscard]] PortLocator &locator() { return m_locator; }
    [[nodiscard]] const PortLocator &locator() const { return m_locator; }
    // The one folder searched for COMn links.
    void setPortDirectory(const QString &directory) { m_locator.setLinkFolders({directory}); }
    // The device path QSerialPort opens for a port name, with COMn links
    // looked for in directory and no assignments.
    [[nodiscard]] static QString resolvePortName(const QString &name, const QString &directory);
    // The device path of the port open now, or of the last one tried.
    [[nodiscard]] const QString &devicePath() const { return m_devicePath; }

    // Closes any open port and opens name exclusively, 8-N-1 at baudRate,
    // without flow control. Failures are told to the user ("Open Error",
    // "Set Error") and leave no port open; an "Open Error" says why the port
    // did not open and what to do.
    bool open(const QString &name);
    // Why the last open failed; kind() None after a successful open.
    [[nodiscard]] const PortOpenFailure &lastOpenFailure() const { return m_lastOpenFailure; }
    // Lets the bytes written leave first (drain()).
    void closePort();

    // Waits at most seconds until count bytes are queued, then reads exactly
    // count of them into buffer; later bytes stay queued. False, with nothing
    // read, once strictly more than seconds * 1000 ms have passed.
    [[nodiscard]] bool read(char *buffer, int count, int seconds);
    // Writes and waits, running the program's events, until the port has
    // handed the bytes to the driver; on failure reopens portName once and
    // writes again.
    bool write(const char *buffer, int count);
    bool write(const QByteArray &bytes) { return write(bytes.constData(), int(bytes.size())); }
    // One byte straight to the port, without the reopen-and-retry.
    bool writeByte(char byte);
    // Drops every received byte, those still held by the driver included.
    void purgeRx();
    // Takes in what the driver holds, updates cs and lineErrors, and returns the
    // number of bytes queued.
    int pollQueued();
    // Reads up to maxCount queued bytes into buffer; returns the count, which
    // bytesRead also gets.
    int readQueued(char *buffer, int maxCount);

    // Runs the program's events until bytes arrive, wakeWait() is called, or
    // timeoutMs passes (never, when negative). False when no events run any
    // more because the application is quitting, or when the port was lost
    // meanwhile (see portLost()): waits must end then.
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
    std::optional<QString> choosePort(const QString &itemText);

    // One exchange with the module at a time: claim() is false while another
    // holds the line.
    [[nodiscard]] bool claim();
    void release();
    [[nodiscard]] bool isBusy() const { return m_busy; }

signals:
    void lineStep(SerialLink::LineStep step, qint64 value);
    // Bytes that arrive while no exchange has claimed the line and nothing
    // waits for them answer nothing and are dropped. True once UnaskedLimit
    // of them have come without a pause of UnaskedQuietMs; false after
    // such a pause.
    void unaskedInputChanged(bool arriving);
    // The open port's device vanished (an adapter pulled out, the far end of
    // a terminal gone) and the port was closed. Waits in progress end with
    // false; a later open (choosing the COM item again, or the reopen of a
    // write) opens it again once the device is back.
    void portLost();

private:
    [[nodiscard]] bool applyLineSettings();
    [[nodiscard]] bool writeOnce(const char *buffer, int count);
    void drain();
    void finishDrain(bool left);
    void noteHandedOver(qint64 count);
    void dropUnasked();
    void endUnasked();
    [[nodiscard]] bool waitForHandover(int timeoutMs);
    void dropVanishedPort();

    Prompt &m_prompt;
    QSerialPort *m_port;
    qint32 m_baudRate = NormalBaudrate;
    QString m_portName;
    QByteArray m_received;
    quint32 m_bytesWritten = 0;
    quint32 m_bytesRead = 0;
    quint32 m_lineErrors = 0;
    LineStatus m_status;
    PortLocator m_locator;
    QString m_devicePath;
    PortOpenFailure m_lastOpenFailure;
    QList<QEventLoop *> m_waits;
    bool m_busy = false;
    // Bytes were written since the last drain.
    bool m_undrained = false;
    // When the bytes last handed to the driver will have crossed the wire, on m_clock.
    qint64 m_lineFreeNs = 0;
    QElapsedTimer m_clock;
    int m_writeWaits = 0;
    qint64 m_unaskedBytes = 0;
    bool m_unasked = false;
    QTimer *m_unaskedQuiet;
};
