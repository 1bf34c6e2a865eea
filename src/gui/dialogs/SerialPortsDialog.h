#pragma once

#include "core/device/PortLocator.h"
#include "core/device/SerialDevice.h"
#include "core/settings/PortAssignments.h"
#include "gui/dialogs/ZoqDialog.h"

#include <array>

class QComboBox;
class QLabel;
class QTableWidget;

// "Serial ports...": the serial devices the system has (path, description,
// manufacturer, serial number, USB vendor:product, stable name) and, for each
// of COM1 to COM8, a choice of the device assigned to it, with the device the
// name leads to now. A device is assigned by its stable name when it has one.
class SerialPortsDialog final : public ZoqDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SerialPortsDialog)

public:
    explicit SerialPortsDialog(QWidget *parent = nullptr);

    // Fills the dialog with devices and the assignments and links locator
    // knows.
    void setContents(const QList<SerialDevice> &devices, const PortLocator &locator);
    // The assignments as chosen in the dialog.
    [[nodiscard]] PortAssignments assignments() const;

    // What a port name leads to, in words: "/dev/ttyS0", "/dev/pts/3 (link
    // /opt/zoq/COM1)", "/dev/serial/by-id/... (not plugged in)".
    [[nodiscard]] static QString describe(const PortLocator::Location &location);

    [[nodiscard]] QTableWidget *deviceTable() const { return m_devices; }
    [[nodiscard]] QComboBox *assignmentBox(int comNumber) const { return m_choices.at(comNumber - 1); }
    [[nodiscard]] QLabel *nowLabel(int comNumber) const { return m_now.at(comNumber - 1); }

private:
    void fillDevices(const QList<SerialDevice> &devices);
    void fillChoices(QComboBox *box, const QList<SerialDevice> &devices, const QString &assigned);

    QTableWidget *m_devices;
    std::array<QComboBox *, PortAssignments::PortCount> m_choices{};
    std::array<QLabel *, PortAssignments::PortCount> m_now{};
};
