#pragma once

#include "core/document/CodeTable.h"
#include "core/document/ModuleInfo.h"

#include <QObject>
#include <QString>

#include <memory>

class Prompt;
class UndoHistory;
class WorkingFileLock;

// The open document: its file, its code table, the module info read from it,
// and whether it has unsaved changes. New, opening a file and Save run here;
// questions and file choices go through the prompt.
//
// An untitled document lives in the working file "Temp.~tmp"; a named one is
// edited in place and its changes stay in the table's cache until Save. Every
// post while the table's after-post hook is attached derives the row from its
// block.
//
// Changes recorded in the undo history make the document modified until they
// are undone back to the state of the last save or open; New and Open clear
// the history, Save keeps it. A post made outside any recording marks the
// document modified until the next save or open, whatever is undone.
class Document final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Document)

public:
    Document(CodeTable &table, Prompt &prompt, const QString &workingPath, QObject *parent = nullptr);
    ~Document() override;

    [[nodiscard]] CodeTable &table() const { return m_table; }
    [[nodiscard]] const QString &path() const { return m_path; }
    [[nodiscard]] const QString &workingPath() const { return m_workingPath; }
    [[nodiscard]] const ModuleInfo &moduleInfo() const { return m_moduleInfo; }
    // Set once a document has finished opening; never cleared.
    [[nodiscard]] bool hasBeenOpened() const { return m_hasBeenOpened; }
    // Whether the table is open and has rows to act on.
    [[nodiscard]] bool hasRows() const;
    [[nodiscard]] UndoHistory &history() const { return *m_history; }
    [[nodiscard]] bool isModified() const;
    // true: a change the history does not hold; false: as if just saved.
    void setModified(bool modified);

    // The handler attached as the table's after-row-change hook at every open.
    void setRowChangeHandler(CodeTable::Hook handler) { m_rowChangeHandler = std::move(handler); }

    // "Save changes to current file?" when there are unsaved changes; Yes
    // saves. False when the command that asked is to be abandoned.
    [[nodiscard]] bool confirmDiscard();

    // New: the save question, then a fresh untitled document from the
    // template. False when the question was answered Cancel (or Yes and the
    // save did not happen).
    bool createNew();
    // Opens the document at path as the current one.
    void open(const QString &path);
    // Save: asks for a name (".zoq" appended when missing); onto the open
    // file it writes the cached changes, else it builds the new file and opens it.
    void save();
    // The save dialog with filter, its answer with extension appended when
    // missing, and "File already exist.Replace?" for another existing file.
    // Empty when the user cancelled either. Save and Compile share the name
    // last chosen.
    [[nodiscard]] QString chooseTarget(const QString &filter, const QString &extension);

signals:
    // A document has opened at path: the window shows it.
    void opened(const QString &path);
    // The waveform is to be blanked (New, and Save under a new name).
    void waveformCleared();
    // Save under a new name copies row after row: row of rowCount; -1 when done.
    void saveProgress(int row, int rowCount);

private:
    void closeTable();
    void openTable(const QString &path);
    void onRowPosted();
    void saveUnderNewName(const QString &target);

    CodeTable &m_table;
    Prompt &m_prompt;
    QString m_workingPath;
    std::unique_ptr<WorkingFileLock> m_workingLock;
    CodeTable::Hook m_rowChangeHandler;
    UndoHistory *m_history;

    QString m_path;
    ModuleInfo m_moduleInfo;
    QString m_lastSaveName;
    bool m_hasBeenOpened = false;
    // A change was posted outside the undo history since the last save or open.
    bool m_unrecordedChange = false;
};
