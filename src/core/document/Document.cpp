#include "core/document/Document.h"

#include "core/common/AppTexts.h"
#include "core/common/FileNames.h"
#include "core/common/Prompt.h"
#include "core/document/DerivePostedRow.h"
#include "core/document/DocumentStore.h"
#include "core/document/TableWalkGuard.h"
#include "core/document/UndoHistory.h"
#include "core/document/WorkingFileLock.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

Document::Document(CodeTable &table, Prompt &prompt, const QString &workingPath, QObject *parent)
    : QObject(parent)
    , m_table(table)
    , m_prompt(prompt)
    , m_workingPath(workingPath)
    , m_workingLock(std::make_unique<WorkingFileLock>())
    , m_history(new UndoHistory(table, this))
{
    m_table.setAfterPost([this] { onRowPosted(); });
}

Document::~Document() = default;

bool Document::hasRows() const
{
    return m_table.isOpen() && m_table.recordCount() > 0;
}

bool Document::isModified() const
{
    return m_unrecordedChange || !m_history->isClean();
}

void Document::setModified(bool modified)
{
    m_unrecordedChange = modified;
    if (!modified)
        m_history->setClean();
}

void Document::onRowPosted()
{
    // A recorded change is held by its step, which makes the document modified.
    if (!m_history->isRecording())
        m_unrecordedChange = true;
    derivePostedRow(m_table);
}

bool Document::confirmDiscard()
{
    if (!isModified())
        return true;
    switch (m_prompt.askYesNoCancel(AppTexts::mainCaption(), QStringLiteral("Save changes to current file?"))) {
    case Prompt::Answer::Cancel:
        return false;
    case Prompt::Answer::Yes:
        save();
        return !isModified();
    case Prompt::Answer::No:
        break;
    }
    return true;
}

// Changes not saved are dropped with the table.
void Document::closeTable()
{
    m_table.setAfterRowChange({});
    m_table.close();
    m_unrecordedChange = false;
}

bool Document::createNew()
{
    if (!confirmDiscard())
        return false;
    m_history->clear();
    closeTable();
    m_workingLock->acquire(m_workingPath);
    DocumentStore::writeTemplate(m_workingPath);
    open(m_workingPath);
    emit waveformCleared();
    return true;
}

void Document::open(const QString &path)
{
    m_history->clear();
    openTable(path);
}

void Document::openTable(const QString &path)
{
    m_path = path;
    closeTable();
    if (path != m_workingPath)
        m_workingLock->release();
    m_table.open(path);
    m_moduleInfo = m_table.moduleInfo();
    m_table.setAfterRowChange(m_rowChangeHandler);
    m_hasBeenOpened = true;
    m_unrecordedChange = false;
    emit opened(path);
    if (m_table.cutTextCount() > 0) {
        m_prompt.notice(AppTexts::applicationTitle(),
                        QStringLiteral("\"%1\" holds texts longer than their columns allow; %2 of them are "
                                       "shown cut to their column's size.")
                            .arg(QDir::toNativeSeparators(path))
                            .arg(m_table.cutTextCount()));
    }
}

QString Document::chooseTarget(const QString &filter, const QString &extension)
{
    const QString chosen = m_prompt.saveFileName(filter, m_lastSaveName);
    if (chosen.isEmpty())
        return {};
    m_lastSaveName = chosen;
    const QString target = withExtension(chosen, extension);
    if (target != m_path && QFileInfo::exists(target)
        && !m_prompt.askYesNo(AppTexts::mainCaption(), QStringLiteral("File already exist.Replace?")))
        return {};
    return target;
}

void Document::save()
{
    const QString target = chooseTarget(QStringLiteral("*.zoq|*.zoq"), QStringLiteral(".zoq"));
    if (target.isEmpty())
        return;
    if (target == m_path) {
        m_table.updateBatch();
    } else {
        saveUnderNewName(target);
        // The same rows again, now from the new file: the history still
        // applies to them.
        try {
            openTable(target);
        } catch (...) {
            m_history->clear();
            throw;
        }
    }
    setModified(false);
}

void Document::saveUnderNewName(const QString &target)
{
    emit waveformCleared();
    const TableWalkGuard walk(m_table, TableWalkGuard::AfterRowChange | TableWalkGuard::Views);
    const int rowCount = m_table.recordCount();
    emit saveProgress(0, rowCount);
    const auto done = qScopeGuard([&] { emit saveProgress(-1, rowCount); });
    DocumentStore::saveAs(m_table, target, [&](int row) { emit saveProgress(row, rowCount); });
}
