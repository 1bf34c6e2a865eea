#include "gui/dialogs/SerialPortsDialog.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

SerialDevice device(const QString &path, const QString &stableName, const QString &description)
{
    SerialDevice d;
    d.path = path;
    d.stableName = stableName;
    d.description = description;
    d.manufacturer = QStringLiteral("FTDI");
    d.serialNumber = QStringLiteral("A50285BI");
    d.usbId = QStringLiteral("0403:6001");
    return d;
}

} // namespace

// The "Serial ports..." dialog over a given list of devices.
class TestSerialPortsDialog : public QObject
{
    Q_OBJECT

private slots:
    void listsDevicesAndAssignments();
    void describesWhereNamesLead_data();
    void describesWhereNamesLead();
};

void TestSerialPortsDialog::listsDevicesAndAssignments()
{
    const QList<SerialDevice> devices = {
        device(QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/serial/by-id/usb-FTDI_A50285BI-if00"),
               QStringLiteral("FT232R USB UART")),
        device(QStringLiteral("/dev/ttyS0"), QString(), QString()),
    };
    PortLocator locator;
    PortAssignments assignments;
    assignments.assign(2, devices[0].stableName);
    assignments.assign(5, QStringLiteral("/dev/serial/by-id/usb-Prolific-if00"));
    locator.setAssignments(assignments);

    SerialPortsDialog dialog;
    dialog.setContents(devices, locator);

    QTableWidget *table = dialog.deviceTable();
    QCOMPARE(table->rowCount(), 2);
    const QStringList first = {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("FT232R USB UART"), QStringLiteral("FTDI"),
                               QStringLiteral("A50285BI"), QStringLiteral("0403:6001"), devices[0].stableName};
    for (int column = 0; column < first.size(); ++column)
        QCOMPARE(table->item(0, column)->text(), first[column]);

    // "(none)", then every device; an assignment to a device not here is kept.
    QCOMPARE(dialog.assignmentBox(1)->count(), 3);
    QCOMPARE(dialog.assignmentBox(1)->currentText(), QStringLiteral("(none)"));
    QCOMPARE(dialog.assignmentBox(1)->itemText(1), QStringLiteral("/dev/ttyUSB0 - FT232R USB UART"));
    QCOMPARE(dialog.assignmentBox(2)->currentIndex(), 1);
    QCOMPARE(dialog.assignmentBox(5)->currentText(), QStringLiteral("/dev/serial/by-id/usb-Prolific-if00 (not plugged in)"));
    QCOMPARE(dialog.nowLabel(1)->text(), QStringLiteral("now: /dev/ttyS0"));
    QCOMPARE(dialog.nowLabel(5)->text(), QStringLiteral("now: /dev/serial/by-id/usb-Prolific-if00 (not plugged in)"));
    QCOMPARE(dialog.assignments(), assignments);

    dialog.assignmentBox(1)->setCurrentIndex(2); // /dev/ttyS0, which has no stable name
    dialog.assignmentBox(2)->setCurrentIndex(0);
    dialog.assignmentBox(3)->setCurrentIndex(1); // kept by its stable name
    PortAssignments chosen;
    chosen.assign(1, QStringLiteral("/dev/ttyS0"));
    chosen.assign(3, devices[0].stableName);
    chosen.assign(5, QStringLiteral("/dev/serial/by-id/usb-Prolific-if00"));
    QCOMPARE(dialog.assignments(), chosen);
}

void TestSerialPortsDialog::describesWhereNamesLead_data()
{
    QTest::addColumn<QString>("linkTarget"); // of COM4 in the folder; empty: no link
    QTest::addColumn<QString>("assigned");
    QTest::addColumn<QString>("text"); // "<dir>": the folder
    QTest::newRow("standard port") << "" << "" << "/dev/ttyS3";
    QTest::newRow("link") << "<dir>/device" << "" << "<dir>/device (link <dir>/COM4)";
    QTest::newRow("link to nothing") << "<dir>/gone" << "" << "<dir>/COM4 (a link to nothing)";
    QTest::newRow("assigned device") << "" << "<dir>/device" << "<dir>/device";
    QTest::newRow("assigned, unplugged") << "" << "<dir>/gone" << "<dir>/gone (not plugged in)";
}

void TestSerialPortsDialog::describesWhereNamesLead()
{
    QFETCH(QString, linkTarget);
    QFETCH(QString, assigned);
    QFETCH(QString, text);
    QTemporaryDir dir;
    const auto expand = [&dir](QString s) { return s.replace(QLatin1String("<dir>"), dir.path()); };
    QFile file(dir.filePath(QStringLiteral("device")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    if (!linkTarget.isEmpty())
        QVERIFY(QFile::link(expand(linkTarget), dir.filePath(QStringLiteral("COM4"))));
    PortLocator locator;
    locator.setLinkFolders({dir.path()});
    PortAssignments assignments;
    assignments.assign(4, expand(assigned));
    locator.setAssignments(assignments);
    QCOMPARE(SerialPortsDialog::describe(locator.locate(QStringLiteral("COM4"))), expand(text));
}

QTEST_MAIN(TestSerialPortsDialog)
#include "tst_serialportsdialog.moc"
