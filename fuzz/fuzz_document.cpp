// .zoq open: the input is the file. Opening reads it without changing it;
// a document that opens is shown (every row's name and fields) and a change
// is written back as Save onto it does.

#include "FuzzSupport.h"

#include "core/common/ZoqError.h"
#include "core/document/CodeTable.h"

#include <QDir>
#include <QFile>

namespace {

QString documentPath;

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void removeWithCompanions(const QString &path)
{
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

void showAndChange(CodeTable &table)
{
    for (int row = 0; row < table.recordCount(); ++row) {
        (void)table.functionName(row);
        for (int column = 0; column < table.columnCount(); ++column)
            (void)table.data(table.index(row, column));
    }
    if (table.recordCount() == 0)
        return;
    table.setRecNo(table.recordCount());
    table.edit();
    table.setField(QStringLiteral("IR Data"), QByteArray(512, 'r'));
    table.post();
    table.updateBatch();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::startApplication(argc, argv, false);
    documentPath = QDir(FuzzSupport::workFolder()).filePath(QStringLiteral("input.zoq"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content = FuzzSupport::bytes(data, size);
    removeWithCompanions(documentPath);
    {
        QFile file(documentPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            FuzzSupport::finding("cannot write the input file");
    }
    CodeTable table;
    try {
        table.open(documentPath);
    } catch (const ZoqError &) {
        if (table.isOpen())
            FuzzSupport::finding("a refused document left the table open");
        return 0;
    }
    if (fileBytes(documentPath) != content)
        FuzzSupport::finding("opening changed the file");
    try {
        showAndChange(table);
    } catch (const ZoqError &) {
    }
    return 0;
}
