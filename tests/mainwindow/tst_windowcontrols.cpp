#include "core/document/CodeTable.h"
#include "core/signal/IrEncoder.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/wave/WaveView.h"
#include "support/ScriptedPrompt.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// Containers whose children are controls of their own; the insides of a
// combo box, a scroll area or a button are not looked into.
bool holdsControls(const QWidget *widget)
{
    if (qobject_cast<const QAbstractScrollArea *>(widget) || qobject_cast<const QComboBox *>(widget))
        return false;
    return qobject_cast<const QGroupBox *>(widget) || widget->metaObject() == &QWidget::staticMetaObject
        || widget->metaObject() == &QFrame::staticMetaObject;
}

// A control placed wholly on a group box or a panel, as the learn button
// lies on its group, shares the box's area without covering any of it.
bool placedOn(const QWidget *box, const QWidget *control)
{
    const bool isBox = qobject_cast<const QGroupBox *>(box) || box->metaObject() == &QFrame::staticMetaObject;
    return isBox && box->geometry().contains(control->geometry());
}

QString describe(const QWidget *widget)
{
    const QRect r = widget->geometry();
    return QStringLiteral("%1 \"%2\" (%3, %4, %5 x %6)")
        .arg(QLatin1String(widget->metaObject()->className()), widget->objectName())
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height());
}

// Pairs of visible sibling controls that overlap, in container and below.
QStringList overlaps(const QWidget *container)
{
    QStringList found;
    QList<const QWidget *> shown;
    for (const QWidget *child : container->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisible() && !child->isWindow())
            shown.append(child);
    }
    for (qsizetype i = 0; i < shown.size(); ++i) {
        for (qsizetype j = i + 1; j < shown.size(); ++j) {
            if (shown[i]->geometry().intersects(shown[j]->geometry()) && !placedOn(shown[i], shown[j])
                && !placedOn(shown[j], shown[i]))
                found.append(describe(shown[i]) + QStringLiteral(" and ") + describe(shown[j]));
        }
        if (holdsControls(shown[i]))
            found += overlaps(shown[i]);
    }
    return found;
}

} // namespace

class TestWindowControls : public QObject
{
    Q_OBJECT

private slots:
    void noControlsOverlap_data();
    void noControlsOverlap();
    void savePictureIsNamedAfterKey();
};

void TestWindowControls::noControlsOverlap_data()
{
    QTest::addColumn<bool>("smallest");
    QTest::newRow("default size") << false;
    QTest::newRow("smallest size") << true;
}

void TestWindowControls::noControlsOverlap()
{
    QFETCH(bool, smallest);
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    MainWindow window(prompt, dir.path());
    window.start();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (smallest)
        window.resize(window.minimumSize());
    QCoreApplication::processEvents();

    QWidget *client = window.centralWidget();
    const QStringList found = overlaps(&window);
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    // The controls placed on the window stay whole inside it.
    for (const QWidget *control : client->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (control->isVisible())
            QVERIFY2(client->rect().contains(control->geometry()), qPrintable(describe(control)));
    }
}

void TestWindowControls::savePictureIsNamedAfterKey()
{
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    MainWindow window(prompt, dir.path());
    window.start();
    // A learned key named in its block: the row's "Function" follows the name.
    IrBlock key = IrEncoder::block({IrProtocol::Nec, 0x04, 0x08}).value();
    key.setNameBytes("Power");
    window.table().edit();
    window.table().setField(QStringLiteral("IR Data"), key.toByteArray());
    window.table().post();
    QCOMPARE(window.table().fieldText(QStringLiteral("Function")), QStringLiteral("Power"));
    const QString path = dir.filePath(QStringLiteral("power"));
    prompt.queueFileName(path);

    auto *view = window.findChild<WaveView *>(QStringLiteral("waveView"));
    QVERIFY(view);
    view->savePictureItem()->trigger();
    QCOMPARE(prompt.asked().size(), 1);
    QCOMPARE(prompt.asked()[0].text, QStringLiteral("Power.png"));
    QFile saved(path + QStringLiteral(".png"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(QImage::fromData(saved.readAll(), "PNG").size(), QSize(view->traces().imageWidth(), 100));
}

QTEST_MAIN(TestWindowControls)
#include "tst_windowcontrols.moc"
