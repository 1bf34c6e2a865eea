#include "core/document/CodeTable.h"

#include "core/common/ZoqError.h"
#include "core/document/DocumentGuard.h"
#include "core/document/SqliteConnection.h"
#include "core/document/StatementTimeLimit.h"
#include "core/signal/IrBlock.h"
#include "core/signal/IrDecoder.h"

#include <QDir>
#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>

namespace {

const QString IdField = QStringLiteral("ID");
const QString FunctionField = QStringLiteral("Function");
const QString IrDataField = QStringLiteral("IR Data");

struct Row
{
    qint64 rowid = 0;
    QVariantList values;
    bool changed = false;
};

// What a successful open hands over to the table in one step, so that a
// failure half-way leaves nothing behind.
struct Loaded
{
    std::unique_ptr<SqliteConnection> connection;
    ModuleInfo moduleInfo;
    QStringList fieldNames;
    QList<Row> rows;
    int cutTexts = 0;
};

// The sizes of the text columns of a document. A longer text (a file made
// elsewhere) is cut to its column's size as it is read, so that no text can
// grow beyond what the grid and the dialogs are made for.
int columnSize(const QString &table, const QString &column)
{
    static const QHash<QString, int> keyInfo = {
        {QStringLiteral("function"), 16},
        {QStringLiteral("format"), 7},
        {QStringLiteral("carry"), 6},
        {QStringLiteral("remark"), 120},
    };
    static const QHash<QString, int> modelInfo = {
        {QStringLiteral("module name"), 20},
        {QStringLiteral("type"), 20},
        {QStringLiteral("manufactory"), 20},
        {QStringLiteral("module id"), 20},
        {QStringLiteral("remark"), 200},
    };
    const QHash<QString, int> &sizes = table == QLatin1String("KeyInfo") ? keyInfo : modelInfo;
    return sizes.value(column.toLower(), -1);
}

// Cuts value to size characters (bytes, for a value stored as bytes); true
// when it was longer. A size below zero leaves it whole.
bool cutToSize(QVariant &value, int size)
{
    if (size < 0)
        return false;
    if (value.typeId() == QMetaType::QByteArray && value.toByteArray().size() > size) {
        value = value.toByteArray().left(size);
        return true;
    }
    if (value.typeId() == QMetaType::QString && value.toString().size() > size) {
        value = value.toString().left(size);
        return true;
    }
    return false;
}

// What a value costs to hold, for the limit on the data of a document.
qint64 heldSize(const QVariant &value)
{
    constexpr qint64 Overhead = 32;
    if (value.typeId() == QMetaType::QByteArray)
        return Overhead + value.toByteArray().size();
    if (value.typeId() == QMetaType::QString)
        return Overhead + 2 * value.toString().size();
    return Overhead;
}

// The engine hands a null field over as a typed null; the table keeps it as
// an invalid QVariant.
QVariant fromEngine(const QVariant &value)
{
    return value.isNull() ? QVariant() : value;
}

// Text and bytes given by a caller are stored as values even when empty
// (the engine would bind a null QString as null); only an invalid or a typed
// null QVariant stands for null.
QVariant toCache(const QVariant &value)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        return QVariant(QLatin1String(""));
    if (value.typeId() == QMetaType::QByteArray && value.toByteArray().isNull())
        return QVariant(QByteArray(""));
    return value;
}

int indexOfName(const QStringList &names, const QString &name)
{
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString fileText(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

ModuleInfo readModuleInfo(const SqliteConnection &connection, int &cutTexts)
{
    const QString what = DocumentGuard::refusalPrefix(connection.path());
    QSqlQuery query = connection.exec(QStringLiteral("Select * from ModelInfo"), what);
    const QSqlRecord record = query.record();
    auto column = [&](const QString &name) {
        const int at = record.indexOf(name);
        if (at < 0) {
            throw ZoqError(QStringLiteral("The table ModelInfo of \"%1\" has no field \"%2\".")
                               .arg(fileText(connection.path()), name));
        }
        return at;
    };
    const int moduleName = column(QStringLiteral("Module Name"));
    const int type = column(QStringLiteral("Type"));
    const int manufactory = column(QStringLiteral("Manufactory"));
    const int moduleId = column(QStringLiteral("Module ID"));
    const int remark = column(QStringLiteral("Remark"));
    const int reCyc = column(QStringLiteral("ReCyc"));

    // Save under a new name appends the module info after the template's
    // empty rows, while documents made elsewhere keep it in the first row:
    // the first row that holds anything is the one, else the first row.
    const auto text = [&](int at) {
        QVariant value = query.value(at);
        cutTexts += cutToSize(value, columnSize(QStringLiteral("ModelInfo"), record.fieldName(at))) ? 1 : 0;
        return value.toString();
    };
    std::optional<ModuleInfo> first;
    while (query.next()) {
        ModuleInfo info;
        info.moduleName = text(moduleName);
        info.type = text(type);
        info.manufactory = text(manufactory);
        info.moduleId = text(moduleId);
        info.remark = text(remark);
        info.reCyc = query.value(reCyc).toInt();
        if (!info.isEmpty())
            return info;
        if (!first)
            first = info;
    }
    SqliteConnection::checkRowsRead(query, what);
    return first.value_or(ModuleInfo());
}

qint64 sortKey(const Row &row, int idField)
{
    const QVariant &id = row.values.at(idField);
    return id.isValid() ? id.toLongLong() : std::numeric_limits<qint64>::min();
}

void readKeyInfo(const SqliteConnection &connection, Loaded &loaded)
{
    const QString what = DocumentGuard::refusalPrefix(connection.path());
    QSqlQuery query = connection.exec(QStringLiteral("Select _rowid_, * from KeyInfo"), what);
    const QSqlRecord record = query.record();
    QList<int> sizes;
    for (int i = 1; i < record.count(); ++i) {
        loaded.fieldNames.append(record.fieldName(i));
        sizes.append(columnSize(QStringLiteral("KeyInfo"), record.fieldName(i)));
    }
    for (const QString &required : {IdField, IrDataField}) {
        if (indexOfName(loaded.fieldNames, required) < 0) {
            throw ZoqError(QStringLiteral("The code table of \"%1\" has no field \"%2\".")
                               .arg(fileText(connection.path()), required));
        }
    }
    qint64 held = 0;
    while (query.next()) {
        Row row;
        row.rowid = query.value(0).toLongLong();
        row.values.reserve(loaded.fieldNames.size());
        for (int i = 1; i < record.count(); ++i) {
            QVariant value = fromEngine(query.value(i));
            loaded.cutTexts += cutToSize(value, sizes.at(i - 1)) ? 1 : 0;
            held += heldSize(value);
            row.values.append(std::move(value));
        }
        if (held > DocumentGuard::DataLimit) {
            throw DocumentGuard::refusal(connection.path(),
                                         QStringLiteral("its code table holds more than %1 MB")
                                             .arg(DocumentGuard::DataLimit / (1024 * 1024)));
        }
        loaded.rows.append(std::move(row));
    }
    // A damaged file can end the rows early; what was read is not the table.
    SqliteConnection::checkRowsRead(query, what);
    const int idField = indexOfName(loaded.fieldNames, IdField);
    std::stable_sort(loaded.rows.begin(), loaded.rows.end(), [idField](const Row &a, const Row &b) {
        return sortKey(a, idField) < sortKey(b, idField);
    });
}

Loaded load(const QString &path)
{
    Loaded loaded;
    loaded.connection = std::make_unique<SqliteConnection>(path);
    DocumentGuard::checkFileSize(path);
    const SqliteConnection &connection = *loaded.connection;
    DocumentGuard::restrict(connection);
    const StatementTimeLimit timeLimit(connection, DocumentGuard::TimeLimitSeconds);
    try {
        DocumentGuard::checkStructure(connection);
        DocumentGuard::checkIntegrity(connection);
        loaded.moduleInfo = readModuleInfo(connection, loaded.cutTexts);
        readKeyInfo(connection, loaded);
    } catch (const ZoqError &) {
        if (timeLimit.hasExpired())
            throw timeLimit.stopped(QStringLiteral("Opening \"%1\"").arg(fileText(path)));
        throw;
    }
    return loaded;
}

} // namespace

struct CodeTable::Private
{
    std::unique_ptr<SqliteConnection> connection;
    QString path;
    ModuleInfo moduleInfo;
    QStringList fieldNames;
    int idField = -1;
    int functionField = -1;
    int irDataField = -1;
    NameEncoding nameEncoding;
    QList<Row> rows;
    int cutTexts = 0;
    int current = -1;
    bool editing = false;
    QVariantList editBuffer;
    Hook afterPost;
    Hook afterRowChange;
    int disabledDepth = 0;
};

CodeTable::CodeTable(QObject *parent)
    : QAbstractTableModel(parent)
    , d(new Private)
{
}

CodeTable::~CodeTable()
{
    delete d;
}

void CodeTable::open(const QString &path)
{
    close();
    Loaded loaded = load(path);
    beginResetModel();
    d->connection = std::move(loaded.connection);
    d->path = path;
    d->moduleInfo = loaded.moduleInfo;
    d->fieldNames = loaded.fieldNames;
    d->idField = indexOfName(d->fieldNames, IdField);
    d->functionField = indexOfName(d->fieldNames, FunctionField);
    d->irDataField = indexOfName(d->fieldNames, IrDataField);
    d->rows = std::move(loaded.rows);
    d->cutTexts = loaded.cutTexts;
    d->current = d->rows.isEmpty() ? -1 : 0;
    endResetModel();
    if (d->current >= 0 && !viewsSuspended())
        emit currentRowChanged(d->current);
}

void CodeTable::close()
{
    beginResetModel();
    d->connection.reset();
    d->path.clear();
    d->moduleInfo = ModuleInfo();
    d->fieldNames.clear();
    d->idField = -1;
    d->functionField = -1;
    d->irDataField = -1;
    d->rows.clear();
    d->cutTexts = 0;
    d->current = -1;
    d->editing = false;
    d->editBuffer.clear();
    endResetModel();
}

bool CodeTable::isOpen() const
{
    return d->connection != nullptr;
}

QString CodeTable::path() const
{
    return d->path;
}

const ModuleInfo &CodeTable::moduleInfo() const
{
    return d->moduleInfo;
}

int CodeTable::cutTextCount() const
{
    return d->cutTexts;
}

QStringList CodeTable::fieldNames() const
{
    return d->fieldNames;
}

int CodeTable::fieldCount() const
{
    return int(d->fieldNames.size());
}

int CodeTable::fieldIndex(const QString &name) const
{
    const int at = indexOfName(d->fieldNames, name);
    if (at < 0)
        throw ZoqError(QStringLiteral("The code table has no field \"%1\".").arg(name));
    return at;
}

int CodeTable::recordCount() const
{
    return int(d->rows.size());
}

int CodeTable::recNo() const
{
    return d->current + 1;
}

void CodeTable::setRecNo(int n)
{
    if (n < 1 || n > recordCount()) {
        throw ZoqError(
            QStringLiteral("Row %1 does not exist; the table has %2 rows.").arg(n).arg(recordCount()));
    }
    if (n - 1 == d->current)
        return;
    // Leaving a row stores its pending edit, as the dataset always does.
    if (d->editing)
        post();
    d->current = n - 1;
    if (!viewsSuspended())
        emit currentRowChanged(d->current);
    // A copy runs, so the hook may replace itself while it runs.
    if (const Hook hook = d->afterRowChange)
        hook();
}

void CodeTable::first()
{
    if (recordCount() > 0)
        setRecNo(1);
}

void CodeTable::next()
{
    if (recNo() < recordCount())
        setRecNo(recNo() + 1);
}

bool CodeTable::locateFunction(const QString &text)
{
    (void)fieldIndex(FunctionField); // throws for a table without the field
    for (int row = 0; row < recordCount(); ++row) {
        if (functionName(row).compare(text, Qt::CaseInsensitive) == 0) {
            setRecNo(row + 1);
            return true;
        }
    }
    return false;
}

void CodeTable::setNameEncoding(const NameEncoding &encoding)
{
    if (encoding == d->nameEncoding)
        return;
    d->nameEncoding = encoding;
    if (d->functionField >= 0 && recordCount() > 0 && !viewsSuspended())
        emit dataChanged(index(0, d->functionField), index(recordCount() - 1, d->functionField));
}

const NameEncoding &CodeTable::nameEncoding() const
{
    return d->nameEncoding;
}

QString CodeTable::functionName(int row) const
{
    const QString stored = valueAt(row, d->functionField).toString();
    const QByteArray bytes = IrBlock::nameBytesOfField(irDataAt(row));
    const QString shown = d->nameEncoding.decode(bytes);
    if (stored == shown)
        return stored;
    for (NameEncoding::Kind kind : NameEncoding::kinds()) {
        if (NameEncoding(kind).decode(bytes) == stored)
            return shown;
    }
    return stored;
}

QVariant CodeTable::field(int ordinal) const
{
    if (d->current < 0 || ordinal < 0 || ordinal >= fieldCount())
        return {};
    return d->editing ? d->editBuffer.at(ordinal) : d->rows.at(d->current).values.at(ordinal);
}

QVariant CodeTable::field(const QString &name) const
{
    return field(fieldIndex(name));
}

QString CodeTable::fieldText(const QString &name) const
{
    return field(name).toString();
}

QByteArray CodeTable::irData() const
{
    return field(IrDataField).toByteArray();
}

QVariant CodeTable::valueAt(int row, int ordinal) const
{
    if (row < 0 || row >= recordCount() || ordinal < 0 || ordinal >= fieldCount())
        return {};
    return d->rows.at(row).values.at(ordinal);
}

QByteArray CodeTable::irDataAt(int row) const
{
    return valueAt(row, d->irDataField).toByteArray();
}

QVariantList CodeTable::rowValues(int row) const
{
    if (row < 0 || row >= recordCount())
        return {};
    return d->rows.at(row).values;
}

void CodeTable::edit()
{
    if (d->current < 0)
        throw ZoqError(QStringLiteral("The code table has no current row to edit."));
    if (d->editing)
        return;
    d->editBuffer = d->rows.at(d->current).values;
    d->editing = true;
}

void CodeTable::setField(int ordinal, const QVariant &value)
{
    if (!d->editing)
        throw ZoqError(QStringLiteral("The code table is not in edit mode."));
    if (ordinal < 0 || ordinal >= fieldCount())
        throw ZoqError(QStringLiteral("The code table has no field number %1.").arg(ordinal));
    d->editBuffer[ordinal] = toCache(value);
}

void CodeTable::setField(const QString &name, const QVariant &value)
{
    setField(fieldIndex(name), value);
}

void CodeTable::post()
{
    if (!d->editing)
        return;
    Row &row = d->rows[d->current];
    if (row.values != d->editBuffer) {
        row.values = d->editBuffer;
        row.changed = true;
    }
    d->editing = false;
    d->editBuffer.clear();
    if (!viewsSuspended())
        emit dataChanged(index(d->current, 0), index(d->current, columnCount() - 1));
    // A copy runs, so the hook may replace itself while it runs.
    if (const Hook hook = d->afterPost)
        hook();
}

bool CodeTable::isEditing() const
{
    return d->editing;
}

void CodeTable::updateBatch()
{
    if (!isOpen())
        throw ZoqError(QStringLiteral("The code table is not open."));
    post();
    if (pendingChangeCount() == 0)
        return;

    QStringList assignments;
    for (const QString &name : std::as_const(d->fieldNames))
        assignments.append(SqliteConnection::quoted(name) + QLatin1String("=?"));
    const QString what = QStringLiteral("The changes could not be written to \"%1\"").arg(fileText(d->path));
    SqliteConnection &connection = *d->connection;
    StatementTimeLimit timeLimit(connection, DocumentGuard::TimeLimitSeconds);
    connection.transaction(what);
    try {
        QSqlQuery update = connection.prepare(
            QStringLiteral("UPDATE KeyInfo SET %1 WHERE _rowid_=?").arg(assignments.join(QLatin1Char(','))),
            what);
        for (const Row &row : std::as_const(d->rows)) {
            if (!row.changed)
                continue;
            for (int i = 0; i < row.values.size(); ++i)
                update.bindValue(i, row.values.at(i));
            update.bindValue(int(row.values.size()), row.rowid);
            SqliteConnection::exec(update, what);
        }
        update.finish();
        connection.commit(what);
    } catch (...) {
        timeLimit.end();
        connection.rollback();
        if (timeLimit.hasExpired())
            throw timeLimit.stopped(QStringLiteral("Writing the changes to \"%1\"").arg(fileText(d->path)));
        throw;
    }
    for (Row &row : d->rows)
        row.changed = false;
}

int CodeTable::pendingChangeCount() const
{
    return int(std::count_if(d->rows.cbegin(), d->rows.cend(), [](const Row &row) { return row.changed; }));
}

void CodeTable::setAfterPost(Hook hook)
{
    d->afterPost = std::move(hook);
}

CodeTable::Hook CodeTable::afterPost() const
{
    return d->afterPost;
}

void CodeTable::setAfterRowChange(Hook hook)
{
    d->afterRowChange = std::move(hook);
}

CodeTable::Hook CodeTable::afterRowChange() const
{
    return d->afterRowChange;
}

void CodeTable::suspendViews()
{
    ++d->disabledDepth;
}

void CodeTable::resumeViews()
{
    if (d->disabledDepth == 0 || --d->disabledDepth > 0)
        return;
    if (recordCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(recordCount() - 1, columnCount() - 1));
    if (d->current >= 0)
        emit currentRowChanged(d->current);
}

bool CodeTable::viewsSuspended() const
{
    return d->disabledDepth > 0;
}

int CodeTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : recordCount();
}

int CodeTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : fieldCount();
}

QVariant CodeTable::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (role == Qt::TextAlignmentRole)
        return int((index.column() == d->idField ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole)
        return signalSummary(index.row());
    if (role != Qt::DisplayRole)
        return {};
    if (index.column() == d->functionField)
        return functionName(index.row());
    const QVariant value = valueAt(index.row(), index.column());
    if (index.column() == d->irDataField)
        return value.toByteArray().isEmpty() ? QStringLiteral("(Blob)") : QStringLiteral("(BLOB)");
    return value.toString();
}

QVariant CodeTable::signalSummary(int row) const
{
    const QString summary = IrDecoder::summary(IrBlock::fromField(irDataAt(row)));
    return summary.isEmpty() ? QVariant() : QVariant(summary);
}

QVariant CodeTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < fieldCount())
        return d->fieldNames.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags CodeTable::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
