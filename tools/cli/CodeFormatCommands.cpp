// export and import: keys to and from the code formats of other tools.

#include "cli/CliCommand.h"
#include "cli/CliDocument.h"
#include "cli/CliRun.h"
#include "cli/CodeFormats.h"
#include "cli/RowOverwrite.h"
#include "cli/UsageError.h"
#include "core/common/SafeFile.h"
#include "core/common/ZoqError.h"
#include "core/document/CodeFromProtocol.h"
#include "core/signal/IrDecoder.h"

#include <QFile>

namespace {

// Files bigger than this are no code files.
constexpr qint64 MaxCodeFileBytes = 16 * 1024 * 1024;

QCommandLineOption formatOption(const QString &description)
{
    return QCommandLineOption(QStringLiteral("format"), description, QStringLiteral("F"));
}

// The --format value in lower case; empty when it was left out and may be.
QString formatOf(const CliRun &run, bool required)
{
    if (!run.isSet(QStringLiteral("format")) && !required)
        return {};
    const QString format = run.required(QStringLiteral("format")).toLower();
    if (!CodeFormats::names().contains(format))
        throw UsageError(QStringLiteral("--format takes %1, not '%2'")
                             .arg(CodeFormats::names().join(QLatin1Char('|')), run.value(QStringLiteral("format"))));
    return format;
}

QByteArray readCodeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ZoqError(QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    if (!file.isSequential() && file.size() > MaxCodeFileBytes)
        throw ZoqError(QStringLiteral("%1 holds %2 bytes; a code file holds at most %3")
                           .arg(path)
                           .arg(file.size())
                           .arg(MaxCodeFileBytes));
    return file.read(MaxCodeFileBytes + 1);
}

void exportCodes(CliRun &run)
{
    const QString format = formatOf(run, true);
    const auto document = CliDocument::open(run.argument(0));
    const CodeTable &table = document->table();
    const CliRun::Rows range = run.isSet(QStringLiteral("rows"))
                                   ? CliRun::rows(QStringLiteral("rows"), run.value(QStringLiteral("rows")),
                                                  table.recordCount())
                                   : CliRun::Rows{1, table.recordCount()};
    QList<int> rows;
    for (int row = range.first; row <= range.last; ++row) {
        if (CodeFromProtocol::rowHoldsSignal(table, row))
            rows.append(row);
    }
    if (rows.isEmpty())
        throw ZoqError(QStringLiteral("no row of %1-%2 holds a key").arg(range.first).arg(range.last));
    SafeFile::write(run.argument(1), makeCodeFormats()->exportRows(table, rows, format));
    run.tell(QStringLiteral("%1 keys written to %2").arg(rows.size()).arg(run.argument(1)));
}

// The name bytes of a key from a file, in the document's name encoding.
QByteArray nameBytesOf(const CodeTable &table, const CodeFormats::Code &code, int row)
{
    QString refusal;
    const std::optional<QByteArray> bytes = table.nameEncoding().encode(code.name, IrBlock::NameLength, &refusal);
    if (!bytes)
        throw ZoqError(QStringLiteral("row %1: %2; nothing was written").arg(row).arg(refusal));
    return *bytes;
}

void importCodes(CliRun &run)
{
    const QString format = formatOf(run, false);
    const QByteArray content = readCodeFile(run.argument(0));
    const auto document = CliDocument::open(run.argument(1));
    CodeTable &table = document->table();
    const int first = int(run.number(QStringLiteral("row"), 1, quint32(qMax(table.recordCount(), 1)), 1));
    const QList<CodeFormats::Code> codes = makeCodeFormats()->importCodes(content, format);
    if (codes.isEmpty())
        throw ZoqError(QStringLiteral("%1 holds no keys").arg(run.argument(0)));
    if (first + codes.size() - 1 > table.recordCount())
        throw ZoqError(QStringLiteral("%1 keys from row %2 run past row %3; nothing was written")
                           .arg(codes.size())
                           .arg(first)
                           .arg(table.recordCount()));
    QList<int> rows;
    QList<IrBlock> blocks;
    for (const CodeFormats::Code &code : codes) {
        const int row = first + int(rows.size());
        IrBlock block = code.block;
        block.setNameBytes(nameBytesOf(table, code, row));
        rows.append(row);
        blocks.append(block);
    }
    RowOverwrite::require(table, rows, run.isSet(QStringLiteral("yes")));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        table.setRecNo(rows.at(i));
        table.edit();
        table.setField(QStringLiteral("IR Data"), blocks.at(i).toByteArray());
        if (!codes.at(i).remark.isEmpty())
            table.setField(QStringLiteral("Remark"), codes.at(i).remark);
        table.post();
        run.out() << QStringLiteral("row %1: %2  %3")
                         .arg(QString::number(rows.at(i)), table.functionName(rows.at(i) - 1),
                              IrDecoder::summary(blocks.at(i)))
                  << Qt::endl;
    }
    document->saveInPlace();
}

} // namespace

CliCommand exportCommand()
{
    return {QStringLiteral("export"),
            QStringLiteral("export DOC.zoq OUT --format pronto|flipper|lirc|mode2|csv [--rows A-B]"),
            QStringLiteral("Writes keys in the code format of another tool."),
            QStringLiteral("Writes the keys of the rows holding one (of rows A-B with --rows) to OUT in the "
                           "format chosen: Pronto Hex, Flipper .ir, LIRC lircd.conf, mode2 or CSV. OUT is "
                           "written whole or not at all."),
            {{QStringLiteral("DOC.zoq"), QStringLiteral("The document.")},
             {QStringLiteral("OUT"), QStringLiteral("The file to write.")}},
            {formatOption(QStringLiteral("pronto, flipper, lirc, mode2 or csv.")),
             QCommandLineOption(QStringLiteral("rows"), QStringLiteral("Only rows A to B."), QStringLiteral("A-B"))},
            exportCodes};
}

CliCommand importCommand()
{
    return {QStringLiteral("import"),
            QStringLiteral("import IN DOC.zoq [--format F] [--row N] [--yes]"),
            QStringLiteral("Reads keys of a code file into rows."),
            QStringLiteral("Writes the keys of IN into consecutive rows of the document from row N (default "
                           "1). The format is recognised from the content unless --format names it. Rows "
                           "holding a learned key are overwritten only with --yes; without it nothing is "
                           "written and those rows are named. A file that is not of the format, or a key "
                           "that cannot be made, changes nothing."),
            {{QStringLiteral("IN"), QStringLiteral("The code file.")},
             {QStringLiteral("DOC.zoq"), QStringLiteral("The document.")}},
            {formatOption(QStringLiteral("pronto, flipper, lirc, mode2 or csv (default: recognised).")),
             QCommandLineOption(QStringLiteral("row"), QStringLiteral("The first row (default 1)."),
                                QStringLiteral("N")),
             QCommandLineOption(QStringLiteral("yes"), QStringLiteral("Overwrite learned keys."))},
            importCodes};
}
