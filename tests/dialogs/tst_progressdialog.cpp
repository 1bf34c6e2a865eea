#include "gui/dialogs/TransferProgressDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

// The transfer progress dialog and its isRunning flag.
class TestProgressDialog : public QObject
{
    Q_OBJECT

private slots:
    void layout();
    void showSetsFlagAndResetsBar();
    void closing_data();
    void closing();
    void minimisingKeepsTransferRunning_data();
    void minimisingKeepsTransferRunning();
    void barStopsAtFiveHundred_data();
    void barStopsAtFiveHundred();
};

void TestProgressDialog::layout()
{
    TransferProgressDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("ZOQ"));
    QVERIFY(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(!dialog.isModal());
    const QList<QPushButton *> buttons = dialog.findChildren<QPushButton *>();
    QCOMPARE(buttons.size(), 1);
    QCOMPARE(buttons.first()->text(), QStringLiteral("Cancel"));
    const QProgressBar *bar = dialog.findChild<QProgressBar *>();
    QVERIFY(bar != nullptr);
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 500);
    QVERIFY(dialog.findChild<QStatusBar *>() != nullptr);
    dialog.setOperation(QStringLiteral("Downloading..."));
    QStringList texts;
    for (const QLabel *label : dialog.findChildren<QLabel *>())
        texts.append(label->text());
    texts.sort();
    QCOMPARE(texts, (QStringList{QString(), QStringLiteral("Downloading...")}));
}

void TestProgressDialog::showSetsFlagAndResetsBar()
{
    TransferProgressDialog dialog;
    QVERIFY(!dialog.isRunning());
    dialog.setPosition(40);
    dialog.show();
    QVERIFY(dialog.isRunning());
    QCOMPARE(dialog.position(), 0);
    // Shown without blocking: the caller goes on at once.
    QVERIFY(dialog.isVisible());
}

void TestProgressDialog::closing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel button") << "cancel";
    QTest::newRow("close box") << "close";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("hidden when the transfer ends") << "hide";
}

void TestProgressDialog::closing()
{
    QFETCH(QString, how);
    TransferProgressDialog dialog;
    dialog.show();
    QVERIFY(dialog.isRunning());
    if (how == QLatin1String("cancel"))
        QTest::mouseClick(dialog.findChild<QPushButton *>(), Qt::LeftButton);
    else if (how == QLatin1String("close"))
        dialog.close();
    else if (how == QLatin1String("escape"))
        QTest::keyClick(&dialog, Qt::Key_Escape);
    else
        dialog.hide();
    QVERIFY(!dialog.isRunning());
    QVERIFY(!dialog.isVisible());
}

void TestProgressDialog::minimisingKeepsTransferRunning_data()
{
    QTest::addColumn<bool>("withMainWindow");
    QTest::newRow("dialog minimised") << false;
    // A window manager minimises a main window's dialogs along with it.
    QTest::newRow("main window minimised") << true;
}

void TestProgressDialog::minimisingKeepsTransferRunning()
{
    QFETCH(bool, withMainWindow);
    QWidget mainWindow;
    mainWindow.show();
    TransferProgressDialog dialog(&mainWindow);
    dialog.show();
    dialog.setPosition(40);

    if (withMainWindow)
        mainWindow.setWindowState(Qt::WindowMinimized);
    dialog.setWindowState(Qt::WindowMinimized);
    QVERIFY(dialog.isRunning());

    dialog.setWindowState(Qt::WindowNoState);
    if (withMainWindow)
        mainWindow.setWindowState(Qt::WindowNoState);
    QVERIFY(dialog.isRunning());
    // Restored as it was, not shown anew.
    QCOMPARE(dialog.position(), 40);
}

void TestProgressDialog::barStopsAtFiveHundred_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("position");
    QTest::newRow("first") << 0 << 0;
    QTest::newRow("middle") << 250 << 250;
    QTest::newRow("500") << 500 << 500;
    QTest::newRow("last") << 511 << 500;
}

void TestProgressDialog::barStopsAtFiveHundred()
{
    QFETCH(int, slot);
    QFETCH(int, position);
    TransferProgressDialog dialog;
    dialog.show();
    dialog.setPosition(slot);
    QCOMPARE(dialog.position(), position);
}

QTEST_MAIN(TestProgressDialog)
#include "tst_progressdialog.moc"
