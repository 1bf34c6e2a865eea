#include "core/document/Document.h"

#include "core/common/AppTexts.h"
#include "core/common/FileNames.h"
#include "core/common/Prompt.h"
#include "core/document/DerivePostedRow.h"
#include "core/document/DocumentStore.h"
#include "core/document/TableWalkGuard.h"
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
{
    m_table.setAfterPost([this] { onRowPosted(); });
}

Document::~Document() = default;

bool Document::hasRows() const
{
    return m_table.isOpen() && m_table.recordCount() > 0;
}

void Document::setModified(bool modified)
{
    m_modified = modified;
}

void Document::onRowPosted()
{
    m_modified = true;
    derivePostedRow(m_table);
}

bool Document::confirmDiscard()
{
    if (!m_modified)
        return true;
    switch (m_prompt.askYesNoCancel(AppTexts::mainCaption(), QStringLiteral("Save changes to current file?"))) {
    case Prompt::Answer::Cancel:
        return false;
    case Prompt::Answer::Yes:
        save();
        return !m_modified;
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
    m_modified = false;
}

bool Document::createNew()
{
    if (!confirmDiscard())
        return false;
    closeTable();
    m_workingLock->acquire(m_workingPath);
    DocumentStore::writeTemplate(m_workingPath);
    open(m_workingPath);
    emit waveformCleared();
    return true;
}

void Document::open(const QString &path)
{
    m_path = path;
    closeTable();
    if (path != m_workingPath)
        m_workingLock->release();
    m_table.open(path);
    m_moduleInfo = m_table.moduleInfo();
    m_table.setAfterRowChange(m_rowChangeHandler);
    m_hasBeenOpened = true;
    m_modified = false;
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
        m_modified = false;
        return;
    }
    saveUnderNewName(target);
    open(target);
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
