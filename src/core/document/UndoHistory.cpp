#include "core/document/UndoHistory.h"

#include "core/document/CodeTable.h"

UndoHistory::UndoHistory(CodeTable &table, QObject *parent)
    : QObject(parent)
    , m_table(table)
{
}

UndoHistory::~UndoHistory() = default;

void UndoHistory::record(const QString &label, const std::function<void()> &change)
{
    if (isRecording() || !m_table.isOpen()) {
        change();
        return;
    }
    const RowSnapshot before = RowSnapshot::ofTable(m_table);
    m_clearedWhileRecording = false;
    ++m_recordingDepth;
    const auto keep = [&] {
        --m_recordingDepth;
        if (!m_clearedWhileRecording)
            push(label, before, RowSnapshot::ofTable(m_table));
    };
    try {
        change();
    } catch (...) {
        keep();
        throw;
    }
    keep();
}

void UndoHistory::push(const QString &label, const RowSnapshot &before, const RowSnapshot &after)
{
    if (!after.sameShapeAs(before))
        return;
    const QList<int> rows = after.rowsChangedSince(before);
    if (rows.isEmpty())
        return;
    dropRedoSteps();
    Step step{label, before.onlyRows(rows), after.onlyRows(rows)};
    step.bytes = step.before.byteSize() + step.after.byteSize();
    m_bytes += step.bytes;
    m_steps.push_back(std::move(step));
    ++m_index;
    dropOldestBeyondLimits();
    emit changed();
}

void UndoHistory::dropRedoSteps()
{
    while (int(m_steps.size()) > m_index) {
        m_bytes -= m_steps.back().bytes;
        m_steps.pop_back();
    }
    if (m_cleanIndex > m_index)
        m_cleanIndex = -1;
}

void UndoHistory::dropOldestBeyondLimits()
{
    while (!m_steps.empty() && (int(m_steps.size()) > m_maxSteps || m_bytes > m_maxBytes)) {
        m_bytes -= m_steps.front().bytes;
        m_steps.pop_front();
        --m_index;
        m_cleanIndex = m_cleanIndex > 0 ? m_cleanIndex - 1 : -1;
    }
}

bool UndoHistory::canUndo() const
{
    return m_index > 0;
}

bool UndoHistory::canRedo() const
{
    return m_index < int(m_steps.size());
}

QString UndoHistory::undoLabel() const
{
    return canUndo() ? m_steps.at(m_index - 1).label : QString();
}

QString UndoHistory::redoLabel() const
{
    return canRedo() ? m_steps.at(m_index).label : QString();
}

void UndoHistory::undo()
{
    if (isRecording() || !canUndo())
        return;
    m_steps.at(m_index - 1).before.restore(m_table);
    --m_index;
    emit changed();
}

void UndoHistory::redo()
{
    if (isRecording() || !canRedo())
        return;
    m_steps.at(m_index).after.restore(m_table);
    ++m_index;
    emit changed();
}

void UndoHistory::clear()
{
    m_steps.clear();
    m_index = 0;
    m_cleanIndex = 0;
    m_bytes = 0;
    if (isRecording())
        m_clearedWhileRecording = true;
    emit changed();
}

void UndoHistory::setClean()
{
    m_cleanIndex = m_index;
    emit changed();
}

void UndoHistory::setLimits(int maxSteps, qint64 maxBytes)
{
    m_maxSteps = maxSteps;
    m_maxBytes = maxBytes;
}
