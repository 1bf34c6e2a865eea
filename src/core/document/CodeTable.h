#pragma once

#include "core/document/ModuleInfo.h"
#include "core/signal/NameEncoding.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>

#include <functional>

// The open code table of a document: every KeyInfo row read into memory and
// sorted by ID, a cursor on the current row, an edit buffer, and a cache of
// posted changes that only updateBatch() writes to the file. It is also the
// model that the code grid views (one column per KeyInfo field, in the
// table's field order, titled with the field name; "Function" cells show
// functionName(); every cell's tool tip is the decode of its row's block,
// "NEC 0x04 0x08" or "raw 38 kHz, 67 durations", none for an empty slot).
//
// Errors of the database engine (not a database, missing table or column,
// read-only or locked file, disk full, a row number beyond the last row) are
// thrown as ZoqError with a clear text.
class CodeTable final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CodeTable)

public:
    using Hook = std::function<void()>;

    explicit CodeTable(QObject *parent = nullptr);
    ~CodeTable() override;

    // Reads the module info (the first ModelInfo row that holds any) and all
    // KeyInfo rows of the file at path.
    // Closes the table first; on an error the table stays closed.
    //
    // The file is not trusted (see DocumentGuard): a file that is not a
    // plain document, or is damaged, is refused before anything of it is
    // shown, and opening stops after DocumentGuard::TimeLimitSeconds. A text
    // longer than its column (Function 16, Format 7, Carry 6, Remark 120
    // characters; 20 and 200 in ModelInfo) is cut to that size.
    void open(const QString &path);
    // Drops every change not yet written to the file and releases the file.
    void close();
    [[nodiscard]] bool isOpen() const;
    [[nodiscard]] QString path() const;
    [[nodiscard]] const ModuleInfo &moduleInfo() const;
    // Texts that the last open cut to their column's size.
    [[nodiscard]] int cutTextCount() const;

    // Fields of the KeyInfo table, in their ordinal order.
    [[nodiscard]] QStringList fieldNames() const;
    [[nodiscard]] int fieldCount() const;
    // Ordinal of a field by name (matched without regard to case); throws
    // ZoqError when the table has no such field.
    [[nodiscard]] int fieldIndex(const QString &name) const;

    // Cursor. Rows are numbered 1..recordCount() in ID order; recNo() is 0
    // when the table has no rows.
    [[nodiscard]] int recordCount() const;
    [[nodiscard]] int recNo() const;
    // Makes row n current; throws ZoqError for a number outside 1..recordCount().
    // Moving to the current row does nothing (no after-scroll).
    void setRecNo(int n);
    void first();
    // Next on the last row stays there.
    void next();
    // Makes the first row whose functionName() equals text (whole text,
    // letters compared without regard to case) current; false when there is
    // none.
    bool locateFunction(const QString &text);

    // The encoding in which key names are read from and written into the
    // blocks (Latin-1 until set); it stays when another document is opened.
    // Changing it announces the "Function" column as changed; no stored
    // value changes.
    void setNameEncoding(const NameEncoding &encoding);
    [[nodiscard]] const NameEncoding &nameEncoding() const;
    // The name a row (0-based, in ID order) shows. Its "Function" text is
    // derived from the block's name bytes at every post; when it is those
    // bytes read in any encoding, it shows them read in the name encoding,
    // so a change of encoding shows at once. Any other text shows as stored.
    [[nodiscard]] QString functionName(int row) const;

    // Field values of the current row (of the edit buffer while editing). A
    // null field is an invalid QVariant; fieldText() reads null as "".
    [[nodiscard]] QVariant field(int ordinal) const;
    [[nodiscard]] QVariant field(const QString &name) const;
    [[nodiscard]] QString fieldText(const QString &name) const;
    // "IR Data" of the current row as bytes (empty for null).
    [[nodiscard]] QByteArray irData() const;
    // Field value of any row (0-based row index in ID order), for painting.
    [[nodiscard]] QVariant valueAt(int row, int ordinal) const;
    // "IR Data" of any row as bytes (empty for null).
    [[nodiscard]] QByteArray irDataAt(int row) const;
    // Every field value of any row (0-based), as stored (posted changes
    // included, a pending edit not). The list shares its data with the table
    // until either changes, so taking it is cheap and comparing two takes of
    // an unchanged row is immediate.
    [[nodiscard]] QVariantList rowValues(int row) const;

    // Edit / post: begin a change of the current row, set fields, store the
    // change in the client-side cache and run the after-post hook. An invalid
    // QVariant sets a field to null; any text or bytes, even empty or a null
    // QString, are stored as a value. Moving to another row posts a pending
    // edit; post() outside edit mode does nothing.
    void edit();
    void setField(int ordinal, const QVariant &value);
    void setField(const QString &name, const QVariant &value);
    void post();
    [[nodiscard]] bool isEditing() const;

    // Writes every cached change to the file in one transaction; until then
    // the file is unchanged. On failure the cache is kept. The writing stops
    // after DocumentGuard::TimeLimitSeconds.
    void updateBatch();
    [[nodiscard]] int pendingChangeCount() const;

    // Hooks run after each post and after each change of the current row
    // while attached (set to an empty function to detach).
    void setAfterPost(Hook hook);
    [[nodiscard]] Hook afterPost() const;
    void setAfterRowChange(Hook hook);
    [[nodiscard]] Hook afterRowChange() const;

    // Suspend and resume the refresh of the bound views while a bulk
    // operation walks the rows; resuming announces every change at once.
    void suspendViews();
    void resumeViews();
    [[nodiscard]] bool viewsSuspended() const;

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    // The cursor moved to row (0-based); not emitted while controls are disabled.
    void currentRowChanged(int row);

private:
    [[nodiscard]] QVariant signalSummary(int row) const;

    struct Private;
    Private *d;
};
