// export and import: keys to and from the code formats of other tools,
// through the same functions as the window's Export and Import.

#include "cli/CliCommand.h"
#include "cli/CliDocument.h"
#include "cli/CliRun.h"
#include "cli/RowOverwrite.h"
#include "cli/UsageError.h"
#include "core/common/ZoqError.h"
#include "core/formats/CodeExport.h"
#include "core/formats/CodeImport.h"

#include <QFileInfo>

namespace {

// Every report line: the lists are not cut on a terminal.
constexpr int AllLines = 1 << 20;

QString formatNames()
{
    QStringList names;
    for (const CodeFormat format : allCodeFormats())
        names.append(codeFormatInfo(format).name);
    return names.join(QLatin1Char('|'));
}

QCommandLineOption formatOption(const QString &description)
{
    return QCommandLineOption(QStringLiteral("format"), description, QStringLiteral("F"));
}

// The format --format names; without it, the one fileName's extension tells
// (export) or none (import: recognised from the content).
std::optional<CodeFormat> formatOf(const CliRun &run, const QString &fileName, bool byExtension)
{
    if (!run.isSet(QStringLiteral("format"))) {
        if (!byExtension)
            return std::nullopt;
        if (const std::optional<CodeFormat> format = codeFormatForFileName(fileName))
            return format;
        throw UsageError(QStringLiteral("--format is needed: the extension of %1 does not tell the format")
                             .arg(fileName));
    }
    const QString name = run.value(QStringLiteral("format"));
    if (const std::optional<CodeFormat> format = codeFormatFromName(name))
        return format;
    throw UsageError(QStringLiteral("--format takes %1, not '%2'").arg(formatNames(), name));
}

// Keys left out of a file: the file is as far as it goes, and the exit code
// says it is not all.
void reportLeftOut(qsizetype count, const QString &what)
{
    if (count > 0)
        throw ZoqError(QStringLiteral("%1 %2 %3 (listed above)")
                           .arg(count)
                           .arg(count == 1 ? QStringLiteral("key was") : QStringLiteral("keys were"), what));
}

void exportCodes(CliRun &run)
{
    const QString target = run.argument(1);
    const CodeFormat format = *formatOf(run, target, true);
    const auto document = CliDocument::open(run.argument(0));
    const CodeTable &table = document->table();
    QList<int> rows = CodeExport::rowsHoldingSignal(table);
    if (run.isSet(QStringLiteral("rows"))) {
        const CliRun::Rows range =
            CliRun::rows(QStringLiteral("rows"), run.value(QStringLiteral("rows")), table.recordCount());
        rows.removeIf([&range](int row) { return row < range.first || row > range.last; });
    }
    if (rows.isEmpty())
        throw ZoqError(QStringLiteral("no row holds a key to export; nothing was written"));
    const CodeExport::Report report =
        CodeExport::exportToFile(table, rows, format, target, {QFileInfo(run.argument(0)).completeBaseName()});
    if (report.written == 0)
        throw ZoqError(report.text(AllLines));
    run.out() << report.text(AllLines) << Qt::endl;
    reportLeftOut(report.leftOut.size(), QStringLiteral("left out"));
}

void importCodes(CliRun &run)
{
    const std::optional<CodeFormat> format = formatOf(run, run.argument(0), false);
    const IrResult<CodeImport::Source> source = CodeImport::readFile(run.argument(0), format);
    if (!source.isOk())
        throw ZoqError(source.error());
    const auto document = CliDocument::open(run.argument(1));
    CodeTable &table = document->table();
    const int first = int(run.number(QStringLiteral("row"), 1, quint32(qMax(table.recordCount(), 1)), 1));
    const CodeImport::Plan plan = CodeImport::plan(table, source.value().file, {}, first);
    if (plan.placements.isEmpty())
        throw ZoqError(CodeImport::report(plan, run.argument(0), AllLines));
    RowOverwrite::require(table, plan.rowsHoldingSignal(table), run.isSet(QStringLiteral("yes")));
    CodeImport::apply(table, plan);
    document->saveInPlace();
    run.out() << CodeImport::report(plan, run.argument(0), AllLines) << Qt::endl;
    reportLeftOut(plan.refused.size(), QStringLiteral("not imported"));
}

} // namespace

CliCommand exportCommand()
{
    return {QStringLiteral("export"),
            QStringLiteral("export DOC.zoq OUT [--format %1] [--rows A-B]").arg(formatNames()),
            QStringLiteral("Writes keys in the code format of another tool."),
            QStringLiteral("Writes the keys of the rows holding one (of rows A-B with --rows) to OUT in the "
                           "format chosen, or the one OUT's extension tells (.txt Pronto Hex, .ir Flipper, "
                           ".conf LIRC, .mode2, .csv). OUT is written whole or not at all. Keys the format "
                           "cannot take (a mode2 text holds one key) are listed and the exit code is 1."),
            {{QStringLiteral("DOC.zoq"), QStringLiteral("The document.")},
             {QStringLiteral("OUT"), QStringLiteral("The file to write.")}},
            {formatOption(QStringLiteral("pronto, flipper, lirc, mode2 or csv (default: by OUT's extension).")),
             QCommandLineOption(QStringLiteral("rows"), QStringLiteral("Only rows A to B."), QStringLiteral("A-B"))},
            exportCodes};
}

CliCommand importCommand()
{
    return {QStringLiteral("import"),
            QStringLiteral("import IN DOC.zoq [--format F] [--row N] [--yes]"),
            QStringLiteral("Reads keys of a code file into rows."),
            QStringLiteral("Writes the keys of IN into consecutive rows of the document from row N (default "
                           "1), as the window's Import does. The format is recognised from the content unless "
                           "--format names it. Rows holding a learned key are overwritten only with --yes; "
                           "without it nothing is written and those rows are named. A file that is not of "
                           "the format changes nothing. Keys that cannot go in (a protocol not built, no row "
                           "left) are listed after the others are written, and the exit code is 1."),
            {{QStringLiteral("IN"), QStringLiteral("The code file.")},
             {QStringLiteral("DOC.zoq"), QStringLiteral("The document.")}},
            {formatOption(QStringLiteral("pronto, flipper, lirc, mode2 or csv (default: recognised).")),
             QCommandLineOption(QStringLiteral("row"), QStringLiteral("The first row (default 1)."),
                                QStringLiteral("N")),
             QCommandLineOption(QStringLiteral("yes"), QStringLiteral("Overwrite learned keys."))},
            importCodes};
}
