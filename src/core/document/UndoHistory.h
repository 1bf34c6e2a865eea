#pragma once

#include "core/document/RowSnapshot.h"

#include <QObject>
#include <QString>

#include <deque>
#include <functional>

class CodeTable;

// The undo and redo steps of the code table. Every change to the rows runs
// through record(): whatever rows it changed become one step, named for the
// menu ("Undo Paste"), holding those rows before and after and the current
// row before and after. Undo and redo put the rows back by the table's own
// posts, so the model's views follow.
//
// The history also tells whether the table is as it was at the last save or
// open: the clean state. Undoing back to it counts as unchanged again.
//
// It keeps at most MaxSteps steps and MaxBytes of row values; the oldest
// steps are dropped first (a single step larger than MaxBytes is not kept).
// QUndoStack is not used because it can only drop old steps by count.
class UndoHistory final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UndoHistory)

public:
    static constexpr int MaxSteps = 100;
    static constexpr qint64 MaxBytes = qint64(64) * 1024 * 1024;

    explicit UndoHistory(CodeTable &table, QObject *parent = nullptr);
    ~UndoHistory() override;

    // Runs change and keeps the rows it changed as one step named label
    // (nothing is kept when no row changed). The steps that could be redone
    // are dropped. A record() inside another one is part of the outer step.
    // An error that escapes change still keeps what it changed, then goes on.
    void record(const QString &label, const std::function<void()> &change);
    [[nodiscard]] bool isRecording() const { return m_recordingDepth > 0; }

    [[nodiscard]] bool canUndo() const;
    [[nodiscard]] bool canRedo() const;
    // Names of the steps that undo() and redo() would take; empty when none.
    [[nodiscard]] QString undoLabel() const;
    [[nodiscard]] QString redoLabel() const;
    // Restore the rows and the current row of the step before (undo) or
    // after it (redo). Nothing happens while a change is being recorded.
    void undo();
    void redo();

    // Drops every step: a document has been created or opened. The current
    // state is the clean one.
    void clear();
    // The current state is the one the document file holds (after a save).
    void setClean();
    // Whether the table is in the clean state. Once the clean state has been
    // dropped (by the limits, or by a new step after undoing past it), it is
    // never reached again.
    [[nodiscard]] bool isClean() const { return m_index == m_cleanIndex; }

    [[nodiscard]] int stepCount() const { return int(m_steps.size()); }
    // Steps that can be undone.
    [[nodiscard]] int index() const { return m_index; }
    [[nodiscard]] qint64 byteSize() const { return m_bytes; }

    // Lower limits than the usual ones, or higher (for long sequences in
    // tests); they apply from the next step on.
    void setLimits(int maxSteps, qint64 maxBytes);

signals:
    // Steps were added, undone, redone or dropped, or the clean state moved.
    void changed();

private:
    struct Step
    {
        QString label;
        RowSnapshot before;
        RowSnapshot after;
        qint64 bytes = 0;
    };

    void push(const QString &label, const RowSnapshot &before, const RowSnapshot &after);
    void dropRedoSteps();
    void dropOldestBeyondLimits();

    CodeTable &m_table;
    std::deque<Step> m_steps;
    int m_index = 0;
    // -1 when the clean state is no longer in the history.
    int m_cleanIndex = 0;
    qint64 m_bytes = 0;
    int m_maxSteps = MaxSteps;
    qint64 m_maxBytes = MaxBytes;
    int m_recordingDepth = 0;
    // Set by clear() while a change is being recorded: the table it began
    // with is gone, so nothing is kept.
    bool m_clearedWhileRecording = false;
};
