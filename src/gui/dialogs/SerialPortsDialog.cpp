#include "gui/dialogs/SerialPortsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QStringList DeviceColumns = {QStringLiteral("Device"),        QStringLiteral("Description"),
                                   QStringLiteral("Manufacturer"),  QStringLiteral("Serial number"),
                                   QStringLiteral("USB ID"),        QStringLiteral("Stable name")};

QString deviceChoiceText(const SerialDevice &device)
{
    return device.description.isEmpty() ? device.path : QStringLiteral("%1 - %2").arg(device.path, device.description);
}

} // namespace

SerialPortsDialog::SerialPortsDialog(QWidget *parent)
    : ZoqDialog(QStringLiteral("Serial ports"), parent)
    , m_devices(new QTableWidget(0, int(DeviceColumns.size()), this))
{
    m_devices->setObjectName(QStringLiteral("deviceTable"));
    m_devices->setHorizontalHeaderLabels(DeviceColumns);
    m_devices->verticalHeader()->hide();
    m_devices->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_devices->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_devices->setMinimumSize(640, 140);

    auto *choices = new QGridLayout;
    for (int n = 1; n <= PortAssignments::PortCount; ++n) {
        auto *box = new QComboBox(this);
        box->setObjectName(QStringLiteral("assignmentBox%1").arg(n));
        box->setMinimumContentsLength(36);
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        auto *now = new QLabel(this);
        now->setObjectName(QStringLiteral("nowLabel%1").arg(n));
        choices->addWidget(new QLabel(QStringLiteral("COM%1").arg(n), this), n - 1, 0);
        choices->addWidget(box, n - 1, 1);
        choices->addWidget(now, n - 1, 2);
        m_choices[n - 1] = box;
        m_now[n - 1] = now;
    }
    choices->setColumnStretch(2, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Serial devices of this computer:"), this));
    layout->addWidget(m_devices);
    auto *rule = new QLabel(QStringLiteral("Device of each port (a COMn link in the program's folder comes first; "
                                           "without one and without a device here, COMn is /dev/ttyS0 ... /dev/ttyS7):"),
                            this);
    rule->setWordWrap(true);
    layout->addWidget(rule);
    layout->addLayout(choices);
    layout->addWidget(buttons);
}

void SerialPortsDialog::setContents(const QList<SerialDevice> &devices, const PortLocator &locator)
{
    fillDevices(devices);
    for (int n = 1; n <= PortAssignments::PortCount; ++n) {
        fillChoices(assignmentBox(n), devices, locator.assignments().device(n));
        nowLabel(n)->setText(QStringLiteral("now: ") + describe(locator.locate(QStringLiteral("COM%1").arg(n))));
    }
}

void SerialPortsDialog::fillDevices(const QList<SerialDevice> &devices)
{
    m_devices->setRowCount(int(devices.size()));
    for (int row = 0; row < devices.size(); ++row) {
        const SerialDevice &device = devices.at(row);
        const QStringList cells = {device.path,         device.description, device.manufacturer,
                                   device.serialNumber, device.usbId,       device.stableName};
        for (int column = 0; column < cells.size(); ++column)
            m_devices->setItem(row, column, new QTableWidgetItem(cells.at(column)));
    }
    m_devices->resizeColumnsToContents();
}

void SerialPortsDialog::fillChoices(QComboBox *box, const QList<SerialDevice> &devices, const QString &assigned)
{
    box->clear();
    box->addItem(QStringLiteral("(none)"), QString());
    for (const SerialDevice &device : devices)
        box->addItem(deviceChoiceText(device), device.assignedName());
    int current = assigned.isEmpty() ? 0 : box->findData(assigned);
    if (current < 0) {
        // Assigned to a device that is not here now: it stays unless changed.
        box->addItem(QStringLiteral("%1 (not plugged in)").arg(assigned), assigned);
        current = box->count() - 1;
    }
    box->setCurrentIndex(current);
}

PortAssignments SerialPortsDialog::assignments() const
{
    PortAssignments chosen;
    for (int n = 1; n <= PortAssignments::PortCount; ++n)
        chosen.assign(n, assignmentBox(n)->currentData().toString());
    return chosen;
}

QString SerialPortsDialog::describe(const PortLocator::Location &location)
{
    switch (location.source) {
    case PortLocator::Source::Link:
        return QFileInfo::exists(location.path) ? QStringLiteral("%1 (link %2)").arg(location.path, location.via)
                                                : QStringLiteral("%1 (a link to nothing)").arg(location.via);
    case PortLocator::Source::Assignment:
        return QFileInfo::exists(location.path) ? location.path
                                                : QStringLiteral("%1 (not plugged in)").arg(location.path);
    case PortLocator::Source::Standard:
    case PortLocator::Source::AsGiven:
        break;
    }
    return location.path;
}
