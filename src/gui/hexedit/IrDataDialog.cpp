#include "gui/hexedit/IrDataDialog.h"

#include "core/common/AppTexts.h"
#include "core/common/Prompt.h"
#include "core/common/SafeFile.h"
#include "core/common/ZoqError.h"
#include "core/signal/IrBlock.h"
#include "core/signal/IrDataText.h"
#include "gui/hexedit/HexEditor.h"
#include "gui/hexedit/IrDataHost.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

QString caption()
{
    return QStringLiteral("IR Data");
}

QString textFilter()
{
    return QStringLiteral("*.txt|*.txt");
}

// A name whose extension is not ".txt" (in any case) gets ".txt" appended:
// codes -> codes.txt, keys.bin -> keys.bin.txt, A.TXT stays.
QString withTxtExtension(const QString &path)
{
    if (QFileInfo(path).suffix().toLower() == QLatin1String("txt"))
        return path;
    return path + QStringLiteral(".txt");
}

} // namespace

IrDataDialog::IrDataDialog(Prompt &prompt, IrDataHost &host, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_prompt(prompt)
    , m_host(host)
    , m_editor(new HexEditor(this))
    , m_statusBar(new QStatusBar(this))
    , m_contextMenu(new QMenu(this))
{
    setWindowTitle(caption());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_editor, 1);
    layout->addWidget(m_statusBar);
    m_statusBar->setSizeGripEnabled(false);

    m_openAction = addEditAction(QStringLiteral("Open"), QKeySequence(Qt::CTRL | Qt::Key_O), &IrDataDialog::openTextFile);
    m_saveAction = addEditAction(QStringLiteral("Save"), QKeySequence(Qt::CTRL | Qt::Key_S), &IrDataDialog::saveTextFile);
    m_contextMenu->addSeparator();
    m_copyAction = addEditAction(QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C), &IrDataDialog::copyHex);
    m_pasteAction = addEditAction(QStringLiteral("Paste"), QKeySequence(Qt::CTRL | Qt::Key_V), &IrDataDialog::pasteHex);

    m_editor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_editor, &QWidget::customContextMenuRequested, this, &IrDataDialog::showContextMenu);
    connect(m_editor, &HexEditor::selectionChanged, this, &IrDataDialog::updateCopyAction);
    connect(m_editor, &HexEditor::contentChanged, this, &IrDataDialog::updateCopyAction);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &IrDataDialog::updatePasteAction);

    resize(std::max(DesignWidth, minimumSizeHint().width()), DesignHeight);
    updateCopyAction();
    updatePasteAction();
}

QAction *IrDataDialog::addEditAction(const QString &caption, const QKeySequence &shortcut,
                                  void (IrDataDialog::*execute)())
{
    auto *action = new QAction(caption, this);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, execute);
    addAction(action);
    m_contextMenu->addAction(action);
    return action;
}

void IrDataDialog::loadBlock(const QByteArray &field)
{
    // Typing over a block never changes its size, so that it can be written
    // back; insert mode is for one opening only.
    m_editor->setInsertMode(false);
    m_editor->load(IrBlock::fromField(field, 0xFF).toByteArray());
    updateCopyAction();
    updatePasteAction();
}

void IrDataDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    m_editor->setFocus();
}

void IrDataDialog::showContextMenu(const QPoint &position)
{
    updateCopyAction();
    updatePasteAction();
    m_contextMenu->popup(m_editor->viewport()->mapToGlobal(position));
}

// ---------------------------------------------------------------------------
// Files

void IrDataDialog::openTextFile()
{
    guarded([this] {
        const QString path = m_prompt.openFileName(textFilter());
        if (path.isEmpty())
            return;
        const std::optional<QString> text = readTextFile(path);
        if (!text)
            return;
        QByteArray bytes;
        int count = 0;
        QString error;
        if (!parseHexText(*text, bytes, count, &error)) {
            notice(error);
            return;
        }
        if (count != IrBlock::Size) {
            notice(QStringLiteral("Invalid IR data file!"));
            return;
        }
        m_editor->load(bytes);
        m_editor->setModified(true);
    });
}

std::optional<QString> IrDataDialog::readTextFile(const QString &path)
{
    QFile file(path);
    SafeFile::openForReading(file);
    QString refusal;
    std::optional<QString> text = irDataFileText(file, &refusal);
    if (!text)
        notice(refusal);
    return text;
}

void IrDataDialog::saveTextFile()
{
    guarded([this] {
        QString name = m_host.currentFunction().trimmed();
        if (name.isEmpty())
            name = QStringLiteral("Default");
        QString path = m_prompt.saveFileName(textFilter(), name + QStringLiteral(".txt"));
        if (path.isEmpty())
            return;
        path = withTxtExtension(path);
        if (QFileInfo::exists(path)
            && !m_prompt.askYesNo(AppTexts::mainCaption(), QStringLiteral("File already exist.Replace?")))
            return;

        const QByteArray text = irDataText(m_editor->read(0, IrBlock::Size));
        SafeFile::write(path, text);
    });
}

// ---------------------------------------------------------------------------
// Clipboard

void IrDataDialog::copyHex()
{
    m_editor->copy();
}

void IrDataDialog::pasteHex()
{
    m_editor->paste();
}

void IrDataDialog::updateCopyAction()
{
    m_copyAction->setEnabled(m_editor->size() > 0 && m_editor->canCopy());
}

void IrDataDialog::updatePasteAction()
{
    m_pasteAction->setEnabled(!m_editor->isReadOnly() && m_editor->canPaste());
}

// ---------------------------------------------------------------------------
// Closing

void IrDataDialog::reject()
{
    if (mayClose())
        QDialog::reject();
}

bool IrDataDialog::mayClose()
{
    if (!m_editor->isModified())
        return true;
    switch (m_prompt.askYesNoCancel(caption(), QStringLiteral("Save changes to IR data?"))) {
    case Prompt::Answer::Cancel:
        return false;
    case Prompt::Answer::No:
        return true;
    case Prompt::Answer::Yes:
        break;
    }
    return writeBack();
}

bool IrDataDialog::writeBack()
{
    // A block of another size is refused, and the dialog stays open with the
    // edits so that the size can be put right (or the edits dropped by No).
    if (m_editor->size() != IrBlock::Size) {
        notice(QStringLiteral("Data size have changed.Save failed!"));
        return false;
    }
    bool written = false;
    guarded([this, &written] {
        m_host.writeIrData(m_editor->data());
        written = true;
    });
    if (written)
        m_editor->setModified(false);
    return written;
}

void IrDataDialog::notice(const QString &text)
{
    m_prompt.notice(AppTexts::applicationTitle(), text);
}

// Errors of the file system and the table are shown the way the
// application's error handler shows them; the dialog goes on.
void IrDataDialog::guarded(const std::function<void()> &command)
{
    try {
        command();
    } catch (const ZoqError &error) {
        notice(error.message());
    }
}
