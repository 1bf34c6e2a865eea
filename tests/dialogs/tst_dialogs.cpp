#include "gui/dialogs/AboutDialog.h"
#include "gui/dialogs/FunctionNameDialog.h"
#include "gui/dialogs/GoToDialog.h"
#include "gui/dialogs/RemarkDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

enum class Kind { FuncEdit, Remark };

std::unique_ptr<TextEntryDialog> makeEntry(Kind kind)
{
    if (kind == Kind::FuncEdit)
        return std::make_unique<FunctionNameDialog>();
    return std::make_unique<RemarkDialog>();
}

// Runs action once the modal loop of dialog has started. A dialog that the
// action left open (a failed check) is closed, so the test does not hang.
void whenShown(QDialog &dialog, std::function<void()> action)
{
    QTimer::singleShot(0, &dialog, [&dialog, action] {
        if (QTest::qWaitFor([&dialog] { return dialog.isVisible(); }))
            action();
        if (dialog.isVisible())
            dialog.done(-1);
    });
}

void verifyFrame(QDialog &dialog, const QString &caption)
{
    QCOMPARE(dialog.windowTitle(), caption);
    const Qt::WindowFlags flags = dialog.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    const QPoint screenCentre = dialog.screen()->availableGeometry().center();
    QVERIFY((dialog.frameGeometry().center() - screenCentre).manhattanLength() <= 1);
    dialog.close();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void entryLayout_data();
    void entryLayout();
    void entryLimit_data();
    void entryLimit();
    void entryKeepsLongerTextOnEnter_data();
    void entryKeepsLongerTextOnEnter();
    void entryEnterAccepts_data();
    void entryEnterAccepts();
    void entryCancelRejects_data();
    void entryCancelRejects();
    void entryOpensWithTextSelectedAndFocused_data();
    void entryOpensWithTextSelectedAndFocused();

    void goToFrame();
    void goToStartsEmptyWithIdChosen();
    void goToLimit();
    void goToKeysAndButtons_data();
    void goToKeysAndButtons();
    void goToKeepsTextAndChoice();

    void aboutPicture();
};

void TestDialogs::entryLayout_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("label");
    QTest::newRow("function") << Kind::FuncEdit << QStringLiteral("Function Name") << QStringLiteral("Function name:");
    QTest::newRow("remark") << Kind::Remark << QStringLiteral("Remark") << QStringLiteral("Remark:");
}

void TestDialogs::entryLayout()
{
    QFETCH(Kind, kind);
    QFETCH(QString, caption);
    QFETCH(QString, label);
    auto dialog = makeEntry(kind);
    const QList<QLabel *> labels = dialog->findChildren<QLabel *>();
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels.first()->text(), label);
    QCOMPARE(dialog->okButton()->text(), QStringLiteral("Ok"));
    QCOMPARE(dialog->cancelButton()->text(), QStringLiteral("Cancel"));
    QCOMPARE(dialog->findChildren<QPushButton *>().size(), 2);
    verifyFrame(*dialog, caption);
}

void TestDialogs::entryLimit_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("limit");
    QTest::newRow("function") << Kind::FuncEdit << 12;
    QTest::newRow("remark") << Kind::Remark << 80;
}

void TestDialogs::entryLimit()
{
    QFETCH(Kind, kind);
    QFETCH(int, limit);
    auto dialog = makeEntry(kind);
    dialog->show();
    QTest::keyClicks(dialog->box(), QString(limit + 5, u'k'));
    QCOMPARE(dialog->text(), QString(limit, u'k'));

    // A longer text given to the box stays whole, and typing cannot lengthen it.
    const QString longer = QString(limit + 3, u'x');
    dialog->setText(longer);
    QCOMPARE(dialog->text(), longer);
    dialog->box()->end(false);
    QTest::keyClicks(dialog->box(), QStringLiteral("yy"));
    QCOMPARE(dialog->text(), longer);
    QTest::keyClick(dialog->box(), Qt::Key_Backspace);
    QTest::keyClicks(dialog->box(), QStringLiteral("yy"));
    QCOMPARE(dialog->text(), QString(limit + 2, u'x') + u'y');

    // The next text given brings the limit back.
    dialog->setText(QString());
    QTest::keyClicks(dialog->box(), QString(limit + 5, u'k'));
    QCOMPARE(dialog->text(), QString(limit, u'k'));
    dialog->reject();
}

void TestDialogs::entryKeepsLongerTextOnEnter_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("function, 15 characters") << Kind::FuncEdit << QStringLiteral("VOLUME-UP-LONG!");
    QTest::newRow("remark, 120 characters") << Kind::Remark << QString(120, u'r');
}

void TestDialogs::entryKeepsLongerTextOnEnter()
{
    QFETCH(Kind, kind);
    QFETCH(QString, text);
    auto dialog = makeEntry(kind);
    whenShown(*dialog, [&] { QTest::keyClick(dialog->box(), Qt::Key_Return); });
    QVERIFY(dialog->execWith(text));
    QCOMPARE(dialog->text(), text);
}

void TestDialogs::entryEnterAccepts_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("key");
    QTest::newRow("function, Return") << Kind::FuncEdit << int(Qt::Key_Return);
    QTest::newRow("function, Enter") << Kind::FuncEdit << int(Qt::Key_Enter);
    QTest::newRow("remark, Return") << Kind::Remark << int(Qt::Key_Return);
}

void TestDialogs::entryEnterAccepts()
{
    QFETCH(Kind, kind);
    QFETCH(int, key);
    auto dialog = makeEntry(kind);
    whenShown(*dialog, [&] { QTest::keyClick(dialog->box(), Qt::Key(key)); });
    QVERIFY(dialog->execWith(QStringLiteral("POWER")));
    QCOMPARE(dialog->text(), QStringLiteral("POWER"));
}

void TestDialogs::entryCancelRejects_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("byCloseBox");
    QTest::newRow("function, Cancel") << Kind::FuncEdit << false;
    QTest::newRow("function, close box") << Kind::FuncEdit << true;
    QTest::newRow("remark, Cancel") << Kind::Remark << false;
    QTest::newRow("remark, close box") << Kind::Remark << true;
}

void TestDialogs::entryCancelRejects()
{
    QFETCH(Kind, kind);
    QFETCH(bool, byCloseBox);
    auto dialog = makeEntry(kind);
    whenShown(*dialog, [&] {
        QTest::keyClicks(dialog->box(), QStringLiteral("x"));
        if (byCloseBox)
            dialog->close();
        else
            QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    });
    QVERIFY(!dialog->execWith(QStringLiteral("old")));
}

void TestDialogs::entryOpensWithTextSelectedAndFocused_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::newRow("function") << Kind::FuncEdit;
    QTest::newRow("remark") << Kind::Remark;
}

void TestDialogs::entryOpensWithTextSelectedAndFocused()
{
    QFETCH(Kind, kind);
    auto dialog = makeEntry(kind);
    // Typing into whatever has the focus replaces the whole text given.
    whenShown(*dialog, [&] {
        QCOMPARE(dialog->focusWidget(), dialog->box());
        QCOMPARE(dialog->box()->selectedText(), QStringLiteral("VOL+"));
        QTest::keyClicks(dialog->focusWidget(), QStringLiteral("MUTE"));
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    });
    QVERIFY(dialog->execWith(QStringLiteral("VOL+")));
    QCOMPARE(dialog->text(), QStringLiteral("MUTE"));
}

void TestDialogs::goToFrame()
{
    GoToDialog dialog;
    QCOMPARE(dialog.goButton()->text(), QStringLiteral("Go"));
    QCOMPARE(dialog.cancelButton()->text(), QStringLiteral("Cancel"));
    QCOMPARE(dialog.idButton()->text(), QStringLiteral("ID"));
    QCOMPARE(dialog.functionButton()->text(), QStringLiteral("Function"));
    verifyFrame(dialog, QStringLiteral("Go to"));
}

void TestDialogs::goToStartsEmptyWithIdChosen()
{
    GoToDialog dialog;
    QVERIFY(dialog.text().isEmpty());
    QCOMPARE(dialog.choice(), GoToDialog::Choice::Id);
    QVERIFY(dialog.idButton()->isChecked());
}

void TestDialogs::goToLimit()
{
    GoToDialog dialog;
    dialog.show();
    QTest::keyClicks(dialog.box(), QString(20, u'9'));
    QCOMPARE(dialog.text(), QString(15, u'9'));
    dialog.reject();
}

void TestDialogs::goToKeysAndButtons_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("viaButton");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("Return") << int(Qt::Key_Return) << false << true;
    QTest::newRow("Enter") << int(Qt::Key_Enter) << false << true;
    QTest::newRow("Esc") << int(Qt::Key_Escape) << false << false;
    QTest::newRow("Go button") << 0 << true << true;
    QTest::newRow("Cancel button") << 0 << true << false;
}

void TestDialogs::goToKeysAndButtons()
{
    QFETCH(int, key);
    QFETCH(bool, viaButton);
    QFETCH(bool, accepted);
    GoToDialog dialog;
    whenShown(dialog, [&] {
        QTest::keyClicks(dialog.focusWidget(), QStringLiteral("12"));
        if (!viaButton)
            QTest::keyClick(dialog.box(), Qt::Key(key));
        else
            QTest::mouseClick(accepted ? dialog.goButton() : dialog.cancelButton(), Qt::LeftButton);
    });
    QCOMPARE(dialog.execGoTo(), accepted);
    QCOMPARE(dialog.text(), QStringLiteral("12"));
}

void TestDialogs::goToKeepsTextAndChoice()
{
    GoToDialog dialog;
    whenShown(dialog, [&] {
        QTest::keyClicks(dialog.focusWidget(), QStringLiteral("power"));
        QTest::mouseClick(dialog.functionButton(), Qt::LeftButton);
        QTest::keyClick(dialog.box(), Qt::Key_Escape);
    });
    QVERIFY(!dialog.execGoTo());

    whenShown(dialog, [&] {
        QCOMPARE(dialog.focusWidget(), dialog.box());
        QCOMPARE(dialog.box()->selectedText(), QStringLiteral("power"));
        QVERIFY(dialog.functionButton()->isChecked());
        QTest::keyClick(dialog.box(), Qt::Key_Return);
    });
    QVERIFY(dialog.execGoTo());
    QCOMPARE(dialog.text(), QStringLiteral("power"));
    QCOMPARE(dialog.choice(), GoToDialog::Choice::Function);
}

void TestDialogs::aboutPicture()
{
    AboutDialog dialog;
    QVERIFY(dialog.findChildren<QPushButton *>().isEmpty());
    verifyFrame(dialog, QStringLiteral("About"));
    QCOMPARE(dialog.size(), QSize(AboutDialog::PictureWidth, AboutDialog::PictureHeight));
    QCOMPARE(dialog.pictureLabel()->pixmap().size(), QSize(169, 89));

    const QImage picture = AboutDialog::drawPicture();
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 4) {
        for (int x = 0; x < picture.width(); x += 4)
            colours.insert(picture.pixel(x, y));
    }
    QVERIFY(colours.size() > 10);
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
