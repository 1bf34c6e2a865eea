#include "core/formats/CodeExport.h"

#include "core/common/SafeFile.h"
#include "core/document/CodeTable.h"
#include "core/signal/IrDecoder.h"

#include <QDir>

#include <algorithm>

QString CodeExport::Report::text(int maxLines) const
{
    const QString where =
        QStringLiteral("\"%1\" (%2)").arg(QDir::toNativeSeparators(path), codeFormatInfo(format).title);
    QStringList lines{written == 0 ? QStringLiteral("Nothing was written to %1: no key could be written.").arg(where)
                                   : QStringLiteral("%1 %2 written to %3.")
                                         .arg(written)
                                         .arg(written == 1 ? QStringLiteral("key") : QStringLiteral("keys"), where)};
    if (!leftOut.isEmpty()) {
        lines.append(QStringLiteral("Left out:"));
        for (qsizetype i = 0; i < std::min<qsizetype>(leftOut.size(), maxLines); ++i)
            lines.append(leftOut.at(i).text());
        if (leftOut.size() > maxLines)
            lines.append(QStringLiteral("... and %1 more").arg(leftOut.size() - maxLines));
    }
    return lines.join(QLatin1Char('\n'));
}

QList<int> CodeExport::rowsHoldingSignal(const CodeTable &table)
{
    QList<int> rows;
    for (int row = 1; row <= table.recordCount(); ++row) {
        if (IrBlock::fromField(table.irDataAt(row - 1)).isValid())
            rows.append(row);
    }
    return rows;
}

CodedKey CodeExport::keyOf(const IrBlock &block)
{
    CodedKey key;
    key.captures = IrTiming::capturesOf(block);
    if (key.captures.isEmpty())
        return key;
    const IrDecode decoded = IrDecoder::decode(block);
    if (decoded.kind == IrDecode::Kind::Code)
        key.code = decoded.code;
    return key;
}

QList<CodedKey> CodeExport::keysOf(const CodeTable &table, const QList<int> &rows, QList<KeyProblem> *leftOut)
{
    QList<int> ordered = rows;
    std::sort(ordered.begin(), ordered.end());
    ordered.erase(std::unique(ordered.begin(), ordered.end()), ordered.end());
    const int remarkField = table.fieldIndex(QStringLiteral("Remark"));
    QList<CodedKey> keys;
    for (const int row : ordered) {
        CodedKey key = keyOf(IrBlock::fromField(table.irDataAt(row - 1)));
        key.row = row;
        key.name = table.functionName(row - 1);
        key.remark = table.valueAt(row - 1, remarkField).toString();
        if (key.captures.isEmpty())
            leftOut->append(KeyProblem::of(key, QStringLiteral("it holds no signal")));
        else
            keys.append(key);
    }
    return keys;
}

CodeExport::Report CodeExport::exportToFile(const CodeTable &table, const QList<int> &rows, CodeFormat format,
                                            const QString &path, const CodeWriteOptions &options)
{
    Report report;
    report.format = format;
    report.path = path;
    const QList<CodedKey> keys = keysOf(table, rows, &report.leftOut);
    const CodeFileOutput output = writeCodes(format, keys, options);
    report.leftOut += output.refused;
    std::stable_sort(report.leftOut.begin(), report.leftOut.end(),
                     [](const KeyProblem &a, const KeyProblem &b) { return a.row < b.row; });
    if (output.written > 0)
        SafeFile::write(path, output.bytes);
    report.written = output.written;
    return report;
}
