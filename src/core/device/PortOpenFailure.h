#pragma once

#include <QSerialPort>
#include <QString>

// Why a serial port did not open, in words for the user: the reason and what
// to do about it. The "Open Error" box shows them under "Error opening serial
// port!"; a command-line tool prints them.
class PortOpenFailure final
{
public:
    enum class Kind {
        None,
        NoPortChosen,     // "Close" was chosen in the COM box
        NotFound,         // no device at the path, or none answers there
        PermissionDenied, // the user may not read and write the device
        Busy,             // another program holds the port
        StaleLock,        // a lock file left by a program that ended, not ours to remove
        Other,
    };

    PortOpenFailure() = default;

    // Finds out why path did not open after QSerialPort refused it with error
    // (errorText being its words): the path is looked at and opened once
    // more, without blocking, for the system's own error.
    [[nodiscard]] static PortOpenFailure diagnose(const QString &path, QSerialPort::SerialPortError error,
                                                  const QString &errorText);
    // The failure an open of path that ended with the system's errorNumber
    // (errno) stands for.
    [[nodiscard]] static PortOpenFailure fromErrno(int errorNumber, const QString &path);
    [[nodiscard]] static PortOpenFailure noPortChosen();

    [[nodiscard]] Kind kind() const { return m_kind; }
    // The device path tried.
    [[nodiscard]] const QString &path() const { return m_path; }
    [[nodiscard]] const QString &reason() const { return m_reason; }
    // What to do; empty when there is nothing to suggest.
    [[nodiscard]] const QString &remedy() const { return m_remedy; }
    // "Error opening serial port!", then the reason and the remedy, one a line.
    [[nodiscard]] QString message() const;

private:
    PortOpenFailure(Kind kind, const QString &path, const QString &reason, const QString &remedy);

    [[nodiscard]] static PortOpenFailure notFound(const QString &path, const QString &systemText);
    [[nodiscard]] static PortOpenFailure permissionDenied(const QString &path);
    [[nodiscard]] static PortOpenFailure busy(const QString &path);

    Kind m_kind = Kind::None;
    QString m_path;
    QString m_reason;
    QString m_remedy;
};
