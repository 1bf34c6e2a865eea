#include "irsignal/TfmIRData.h"

#include "app/AppTexts.h"
#include "app/Prompt.h"
#include "app/ZoqError.h"
#include "irsignal/HexEditor.h"
#include "irsignal/IrDataHost.h"
#include "irsignal/IrDataText.h"
#include "irsignal/TIRDataBlock.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QSaveFile>
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

TfmIRData::TfmIRData(Prompt &prompt, IrDataHost &host, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_prompt(prompt)
    , m_host(host)
    , m_editor(new HexEditor(this))
    , StatusBar1(new QStatusBar(this))
    , PopupMenu1(new QMenu(this))
{
    setWindowTitle(caption());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_editor, 1);
    layout->addWidget(StatusBar1);
    StatusBar1->setSizeGripEnabled(false);

    Open = addEditAction(QStringLiteral("Open"), QKeySequence(Qt::CTRL | Qt::Key_O), &TfmIRData::OpenExecute);
    Save = addEditAction(QStringLiteral("Save"), QKeySequence(Qt::CTRL | Qt::Key_S), &TfmIRData::SaveExecute);
    PopupMenu1->addSeparator();
    Copy = addEditAction(QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C), &TfmIRData::CopyExecute);
    Paste = addEditAction(QStringLiteral("Paste"), QKeySequence(Qt::CTRL | Qt::Key_V), &TfmIRData::PasteExecute);

    m_editor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_editor, &QWidget::customContextMenuRequested, this, &TfmIRData::showPopupMenu);
    connect(m_editor, &HexEditor::selectionChanged, this, &TfmIRData::CopyUpdate);
    connect(m_editor, &HexEditor::contentChanged, this, &TfmIRData::CopyUpdate);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TfmIRData::PasteUpdate);

    resize(std::max(DesignWidth, minimumSizeHint().width()), DesignHeight);
    CopyUpdate();
    PasteUpdate();
}

QAction *TfmIRData::addEditAction(const QString &caption, const QKeySequence &shortcut,
                                  void (TfmIRData::*execute)())
{
    auto *action = new QAction(caption, this);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, execute);
    addAction(action);
    PopupMenu1->addAction(action);
    return action;
}

void TfmIRData::loadBlock(const QByteArray &field)
{
    // Typing over a block never changes its size, so that it can be written
    // back; insert mode is for one opening only.
    m_editor->setInsertMode(false);
    m_editor->load(TIRDataBlock::fromField(field, 0xFF).toByteArray());
    CopyUpdate();
    PasteUpdate();
}

void TfmIRData::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    m_editor->setFocus();
}

void TfmIRData::showPopupMenu(const QPoint &position)
{
    CopyUpdate();
    PasteUpdate();
    PopupMenu1->popup(m_editor->viewport()->mapToGlobal(position));
}

// ---------------------------------------------------------------------------
// Files

void TfmIRData::OpenExecute()
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
        if (!ParseHexText(*text, bytes, count, &error)) {
            notice(error);
            return;
        }
        if (count != TIRDataBlock::Size) {
            notice(QStringLiteral("Invalid IR data file!"));
            return;
        }
        m_editor->load(bytes);
        m_editor->setModified(true);
    });
}

std::optional<QString> TfmIRData::readTextFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ZoqError(QStringLiteral("Cannot open file \"%1\". %2")
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
    QString refusal;
    std::optional<QString> text = irDataFileText(file, &refusal);
    if (!text)
        notice(refusal);
    return text;
}

void TfmIRData::SaveExecute()
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

        const QByteArray text = irDataText(m_editor->read(0, TIRDataBlock::Size));
        // Written beside the target and renamed in, so a failed write leaves
        // an existing file as it was.
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
            throw ZoqError(QStringLiteral("Cannot write file \"%1\". %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    });
}

// ---------------------------------------------------------------------------
// Clipboard

void TfmIRData::CopyExecute()
{
    m_editor->copy();
}

void TfmIRData::PasteExecute()
{
    m_editor->paste();
}

void TfmIRData::CopyUpdate()
{
    Copy->setEnabled(m_editor->size() > 0 && m_editor->canCopy());
}

void TfmIRData::PasteUpdate()
{
    Paste->setEnabled(!m_editor->isReadOnly() && m_editor->canPaste());
}

// ---------------------------------------------------------------------------
// Closing

void TfmIRData::reject()
{
    if (FormCloseQuery())
        QDialog::reject();
}

bool TfmIRData::FormCloseQuery()
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

bool TfmIRData::writeBack()
{
    // A block of another size is refused, and the dialog stays open with the
    // edits so that the size can be put right (or the edits dropped by No).
    if (m_editor->size() != TIRDataBlock::Size) {
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

void TfmIRData::notice(const QString &text)
{
    m_prompt.notice(AppTexts::applicationTitle(), text);
}

// Errors of the file system and the table are shown the way the
// application's error handler shows them; the dialog goes on.
void TfmIRData::guarded(const std::function<void()> &command)
{
    try {
        command();
    } catch (const ZoqError &error) {
        notice(error.message());
    }
}
