#include "support/ScriptedPrompt.h"

#include "core/common/AppTexts.h"
#include "core/common/ZoqError.h"
#include "gui/hexedit/HexEditor.h"
#include "gui/hexedit/IrDataHost.h"
#include "core/signal/IrDataText.h"
#include "gui/hexedit/IrDataDialog.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The current row of the code table as the dialog sees it.
class RowHost final : public IrDataHost
{
public:
    QString currentFunction() const override { return function; }
    void writeIrData(const QByteArray &block) override
    {
        if (refuse)
            throw ZoqError(QStringLiteral("The file is read-only."));
        writes.append(block);
    }

    QString function;
    bool refuse = false;
    QList<QByteArray> writes;
};

QByteArray learnedBlock()
{
    QByteArray block(512, '\0');
    for (int i = 0; i < block.size(); ++i)
        block[i] = char((i * 37 + 0x72) & 0xFF);
    block[0] = 'r';
    return block;
}

} // namespace

class TestIrDataDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loadBlockMakes512_data();
    void loadBlockMakes512();
    void saveThenOpenGivesSameBytes();
    void saveProposesAndExtends_data();
    void saveProposesAndExtends();
    void saveOverExistingFile();
    void saveShortDataFails();
    void openWrittenWithSeparatorsAndPrefixes();
    void openAroundControlCharacters_data();
    void openAroundControlCharacters();
    void openRefusals_data();
    void openRefusals();
    void closing_data();
    void closing();
    void closingWithChangedSizeStaysOpen();
    void closingWhenRowRefusesStaysOpen();
    void everyOpeningStartsInOverwriteMode();
    void menuAndActions();

private:
    [[nodiscard]] QString writeFile(const QString &name, const QByteArray &content) const;
    [[nodiscard]] QStringList notices() const;

    ScriptedPrompt m_prompt;
    RowHost m_host;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<IrDataDialog> m_dialog;
};

void TestIrDataDialog::init()
{
    m_prompt.clear();
    m_host = RowHost();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_dialog = std::make_unique<IrDataDialog>(m_prompt, m_host);
    m_dialog->loadBlock(learnedBlock());
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
}

void TestIrDataDialog::cleanup()
{
    QVERIFY2(m_prompt.unexpected().isEmpty(), qPrintable(m_prompt.unexpected().join(u'|')));
    QVERIFY(m_prompt.allAnswersUsed());
    m_dialog.reset();
}

QString TestIrDataDialog::writeFile(const QString &name, const QByteArray &content) const
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QStringList TestIrDataDialog::notices() const
{
    QStringList texts;
    for (const ScriptedPrompt::Asked &asked : m_prompt.asked()) {
        if (asked.kind == QLatin1String("notice")) {
            if (asked.title != AppTexts::applicationTitle())
                qWarning("notice titled %s", qPrintable(asked.title));
            texts.append(asked.text);
        }
    }
    return texts;
}

void TestIrDataDialog::loadBlockMakes512_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QByteArray>("loaded");

    QTest::newRow("block") << learnedBlock() << learnedBlock();
    QTest::newRow("longer field cut") << learnedBlock() + "tail" << learnedBlock();
    QTest::newRow("shorter field padded with 0xFF")
        << learnedBlock().left(100) << learnedBlock().left(100) + QByteArray(412, '\xFF');
    QTest::newRow("null field") << QByteArray() << QByteArray(512, '\xFF');
}

void TestIrDataDialog::loadBlockMakes512()
{
    QFETCH(QByteArray, field);
    QFETCH(QByteArray, loaded);

    HexEditor &editor = m_dialog->hexEditor();
    QTest::keyClicks(&editor, QStringLiteral("00"));
    m_dialog->loadBlock(field);
    QCOMPARE(editor.data(), loaded);
    QVERIFY(!editor.isModified());
    QCOMPARE(editor.cursorPosition(), 0);
}

void TestIrDataDialog::saveThenOpenGivesSameBytes()
{
    HexEditor &editor = m_dialog->hexEditor();
    QTest::keyClicks(&editor, QStringLiteral("5a")); // saved as it stands, not yet written back
    QByteArray expected = learnedBlock();
    expected[0] = '\x5A';

    const QString path = m_dir->filePath(QStringLiteral("codes.txt"));
    m_prompt.queueFileName(path);
    m_dialog->saveTextFile();
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), irDataText(expected));
    QVERIFY(editor.isModified());
    QVERIFY(m_host.writes.isEmpty());

    m_dialog->loadBlock(QByteArray(512, '\0'));
    m_prompt.queueFileName(path);
    m_dialog->openTextFile();
    QCOMPARE(editor.data(), expected);
    QVERIFY(editor.isModified());
    QCOMPARE(m_prompt.asked().first().title, QStringLiteral("*.txt|*.txt"));
    QCOMPARE(notices(), QStringList());

    editor.setModified(false);
    m_prompt.queueFileName(path);
    m_prompt.queueAnswer(Prompt::Answer::Yes);
    m_dialog->saveTextFile();
    QVERIFY(!editor.isModified());
}

void TestIrDataDialog::saveProposesAndExtends_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("proposed");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");

    QTest::newRow("empty function") << QString() << "Default.txt" << "codes" << "codes.txt";
    QTest::newRow("blank function") << "   " << "Default.txt" << "keys.bin" << "keys.bin.txt";
    QTest::newRow("trimmed function") << " POWER " << "POWER.txt" << "A.TXT" << "A.TXT";
    QTest::newRow("txt kept") << "VOL+" << "VOL+.txt" << "vol.txt" << "vol.txt";
}

void TestIrDataDialog::saveProposesAndExtends()
{
    QFETCH(QString, function);
    QFETCH(QString, proposed);
    QFETCH(QString, chosen);
    QFETCH(QString, written);

    m_host.function = function;
    m_prompt.queueFileName(m_dir->filePath(chosen));
    m_dialog->saveTextFile();
    QCOMPARE(m_prompt.asked().first().kind, QStringLiteral("save"));
    QCOMPARE(m_prompt.asked().first().title, QStringLiteral("*.txt|*.txt"));
    QCOMPARE(m_prompt.asked().first().text, proposed);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{written});
    QCOMPARE(QFileInfo(m_dir->filePath(written)).size(), 1568);
}

void TestIrDataDialog::saveOverExistingFile()
{
    const QString path = writeFile(QStringLiteral("old.txt"), "old");
    m_prompt.queueFileName(path);
    m_prompt.queueAnswer(Prompt::Answer::No);
    m_dialog->saveTextFile();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("old"));
    file.close();
    QCOMPARE(m_prompt.asked().at(1).title, AppTexts::mainCaption());
    QCOMPARE(m_prompt.asked().at(1).text, QStringLiteral("File already exist.Replace?"));

    m_prompt.queueFileName(path);
    m_prompt.queueAnswer(Prompt::Answer::Yes);
    m_dialog->saveTextFile();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), irDataText(learnedBlock()));
}

void TestIrDataDialog::saveShortDataFails()
{
    HexEditor &editor = m_dialog->hexEditor();
    QTest::keyClick(&editor, Qt::Key_Delete);
    m_prompt.queueFileName(m_dir->filePath(QStringLiteral("short.txt")));
    m_dialog->saveTextFile();
    QCOMPARE(notices().size(), 1);
    QVERIFY(notices().first().startsWith(QStringLiteral("Index out of range")));
    QVERIFY(QDir(m_dir->path()).entryList(QDir::Files).isEmpty());
}

void TestIrDataDialog::openWrittenWithSeparatorsAndPrefixes()
{
    QStringList fields;
    for (char byte : learnedBlock())
        fields.append(QStringLiteral("0x%1").arg(uchar(byte), 2, 16, QLatin1Char('0')));
    m_prompt.queueFileName(writeFile(QStringLiteral("c.txt"), fields.join(u',').toLatin1()));
    m_dialog->loadBlock({});
    m_dialog->openTextFile();
    QCOMPARE(m_dialog->hexEditor().data(), learnedBlock());
    QVERIFY(m_dialog->hexEditor().isModified());
}

void TestIrDataDialog::openRefusals_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");

    const QByteArray text = irDataText(learnedBlock());
    QTest::newRow("invalid char") << QByteArray("01 G2") << "Invalid char 'G'";
    QTest::newRow("tab") << QByteArray("01\t02") << "Invalid char 0x09";
    QTest::newRow("511 bytes") << text.left(text.size() - 5) << "Invalid IR data file!";
    QTest::newRow("513 bytes") << text + "FF" << "Invalid IR data file!";
    QTest::newRow("empty") << QByteArray() << "Invalid IR data file!";
    QTest::newRow("huge") << QByteArray(4 * 1024 * 1024, '0') << "Invalid IR data file! It is larger than 1 MB.";
    QTest::newRow("ESC inside") << text.left(60) + "\x1b" + text.mid(60) << "Invalid char 0x1B";
}

void TestIrDataDialog::openAroundControlCharacters_data()
{
    QTest::addColumn<QByteArray>("content");

    const QByteArray text = irDataText(learnedBlock());
    QTest::newRow("DOS end-of-file mark") << text + "\x1a";
    QTest::newRow("leading ESC") << "\x1b" + text;
    QTest::newRow("zero byte, then junk") << text + QByteArray(1, '\0') + "junk\x02";
}

void TestIrDataDialog::openAroundControlCharacters()
{
    QFETCH(QByteArray, content);

    m_dialog->loadBlock({});
    m_prompt.queueFileName(writeFile(QStringLiteral("in.txt"), content));
    m_dialog->openTextFile();
    QCOMPARE(notices(), QStringList());
    QCOMPARE(m_dialog->hexEditor().data(), learnedBlock());
    m_dialog->hexEditor().setModified(false);
}

void TestIrDataDialog::openRefusals()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);

    HexEditor &editor = m_dialog->hexEditor();
    m_prompt.queueFileName(writeFile(QStringLiteral("in.txt"), content));
    m_dialog->openTextFile();
    QCOMPARE(notices(), QStringList{message});
    QCOMPARE(editor.data(), learnedBlock());
    QVERIFY(!editor.isModified());
}

void TestIrDataDialog::closing_data()
{
    QTest::addColumn<bool>("edit");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("written");

    QTest::newRow("unchanged closes at once") << false << -1 << true << false;
    QTest::newRow("Cancel stays") << true << int(Prompt::Answer::Cancel) << false << false;
    QTest::newRow("No drops the edits") << true << int(Prompt::Answer::No) << true << false;
    QTest::newRow("Yes writes back") << true << int(Prompt::Answer::Yes) << true << true;
}

void TestIrDataDialog::closing()
{
    QFETCH(bool, edit);
    QFETCH(int, answer);
    QFETCH(bool, closes);
    QFETCH(bool, written);

    HexEditor &editor = m_dialog->hexEditor();
    if (edit)
        QTest::keyClicks(&editor, QStringLiteral("00"));
    if (answer >= 0)
        m_prompt.queueAnswer(Prompt::Answer(answer));
    m_dialog->close();

    QCOMPARE(m_dialog->isVisible(), !closes);
    if (answer >= 0) {
        QCOMPARE(m_prompt.asked().size(), 1);
        QCOMPARE(m_prompt.asked().first().kind, QStringLiteral("yesnocancel"));
        QCOMPARE(m_prompt.asked().first().title, QStringLiteral("IR Data"));
        QCOMPARE(m_prompt.asked().first().text, QStringLiteral("Save changes to IR data?"));
    } else {
        QVERIFY(m_prompt.asked().isEmpty());
    }
    QByteArray edited = learnedBlock();
    edited[0] = '\0';
    QCOMPARE(m_host.writes, written ? QList<QByteArray>{edited} : QList<QByteArray>{});
    QCOMPARE(editor.isModified(), edit && !written);
}

void TestIrDataDialog::closingWithChangedSizeStaysOpen()
{
    HexEditor &editor = m_dialog->hexEditor();
    QTest::keyClick(&editor, Qt::Key_Delete);
    m_prompt.queueAnswer(Prompt::Answer::Yes);
    QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    QCOMPARE(notices(), QStringList{QStringLiteral("Data size have changed.Save failed!")});
    QVERIFY(m_dialog->isVisible());
    QVERIFY(m_host.writes.isEmpty());
    QCOMPARE(editor.size(), 511);
    QVERIFY(editor.isModified());

    m_prompt.queueAnswer(Prompt::Answer::No);
    m_dialog->close();
    QVERIFY(!m_dialog->isVisible());
    QVERIFY(m_host.writes.isEmpty());
}

void TestIrDataDialog::closingWhenRowRefusesStaysOpen()
{
    m_host.refuse = true;
    QTest::keyClicks(&m_dialog->hexEditor(), QStringLiteral("11"));
    m_prompt.queueAnswer(Prompt::Answer::Yes);
    m_dialog->close();
    QCOMPARE(notices(), QStringList{QStringLiteral("The file is read-only.")});
    QVERIFY(m_dialog->isVisible());
    QVERIFY(m_dialog->hexEditor().isModified());
    m_prompt.queueAnswer(Prompt::Answer::No);
    m_dialog->close();
}

void TestIrDataDialog::everyOpeningStartsInOverwriteMode()
{
    HexEditor &editor = m_dialog->hexEditor();
    QTest::keyClick(&editor, Qt::Key_Insert);
    QVERIFY(editor.isInsertMode());
    m_dialog->close();

    m_dialog->loadBlock(learnedBlock());
    m_dialog->show();
    QVERIFY(!editor.isInsertMode());
    QTest::keyClicks(&editor, QStringLiteral("5a"));
    QCOMPARE(editor.size(), 512);
    m_prompt.queueAnswer(Prompt::Answer::Yes);
    m_dialog->close();
    QCOMPARE(notices(), QStringList());
    QCOMPARE(m_host.writes.size(), 1);
    QCOMPARE(m_host.writes.first().at(0), '\x5A');
}

void TestIrDataDialog::menuAndActions()
{
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("IR Data"));
    // A whole row fits: the editor has no horizontal scroll bar.
    QVERIFY(m_dialog->width() >= IrDataDialog::DesignWidth);
    QVERIFY(m_dialog->hexEditor().viewport()->width() >= m_dialog->hexEditor().layout().contentWidth());
    QStringList items;
    for (const QAction *action : m_dialog->contextMenu().actions())
        items.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(items.join(u' '), QStringLiteral("Open Save - Copy Paste"));
    QCOMPARE(m_dialog->openAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    QCOMPARE(m_dialog->saveAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    QCOMPARE(m_dialog->copyAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
    QCOMPARE(m_dialog->pasteAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+V")));

    HexEditor &editor = m_dialog->hexEditor();
    QVERIFY(!m_dialog->copyAction()->isEnabled());
    editor.setSelection(0, 3);
    QVERIFY(m_dialog->copyAction()->isEnabled());
    m_dialog->copyAction()->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), hexBytesText(learnedBlock().left(3)));
    QVERIFY(m_dialog->pasteAction()->isEnabled());

    QGuiApplication::clipboard()->setText(QStringLiteral("not hex"));
    QVERIFY(!m_dialog->pasteAction()->isEnabled());
    QGuiApplication::clipboard()->setText(QStringLiteral("AA BB"));
    QVERIFY(m_dialog->pasteAction()->isEnabled());
    editor.setCursorPosition(4);
    m_dialog->pasteAction()->trigger();
    QCOMPARE(editor.read(4, 2), QByteArray("\xAA\xBB"));
    QCOMPARE(editor.size(), 512);

    editor.setReadOnly(true);
    m_dialog->updatePasteAction();
    QVERIFY(!m_dialog->pasteAction()->isEnabled());
    editor.setReadOnly(false);
    editor.setModified(false);
}

QTEST_MAIN(TestIrDataDialog)
#include "tst_irdatadialog.moc"
