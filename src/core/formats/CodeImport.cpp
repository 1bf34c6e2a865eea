#include "core/formats/CodeImport.h"

#include "core/common/SafeFile.h"
#include "core/common/ZoqError.h"
#include "core/document/CodeTable.h"
#include "core/document/TableWalkGuard.h"
#include "core/signal/IrBlockWriter.h"
#include "core/signal/IrDecoder.h"
#include "core/signal/IrEncoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

using SourceResult = IrResult<CodeImport::Source>;

[[nodiscard]] QString displayName(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The name's bytes in the encoding, cut to the block's 15; characters the
// encoding lacks become '?', and note says so.
[[nodiscard]] QByteArray nameBytes(const NameEncoding &encoding, const QString &name, QString *note)
{
    QString refusal;
    if (const std::optional<QByteArray> bytes = encoding.encode(name, IrBlock::NameLength, &refusal))
        return *bytes;
    QString replaced;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const qsizetype length = name.at(i).isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
        const QString character = name.mid(i, length);
        i += length - 1;
        replaced += encoding.encode(character, 4, &refusal) ? character : QStringLiteral("?");
    }
    const QByteArray bytes = encoding.encode(replaced, IrBlock::NameLength, &refusal).value_or(QByteArray());
    *note = QStringLiteral("characters %1 lacks are stored as '?'").arg(encoding.label());
    return bytes;
}

[[nodiscard]] QList<int> targetRows(const CodeTable &table, QList<int> rows, int startRow)
{
    const int last = table.recordCount();
    if (rows.isEmpty()) {
        for (int row = std::max(startRow, 1); row <= last; ++row)
            rows.append(row);
        return rows;
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [last](int row) { return row < 1 || row > last; }), rows.end());
    return rows;
}

[[nodiscard]] QString rowList(const QList<int> &rows, int shown)
{
    QStringList numbers;
    for (int i = 0; i < std::min<qsizetype>(rows.size(), shown); ++i)
        numbers.append(QString::number(rows.at(i)));
    QString text = numbers.join(QStringLiteral(", "));
    if (rows.size() > shown)
        text += QStringLiteral(" and %1 more").arg(rows.size() - shown);
    return text;
}

} // namespace

QList<int> CodeImport::Plan::rowsHoldingSignal(const CodeTable &table) const
{
    QList<int> rows;
    for (const Placement &placement : placements) {
        if (IrBlock::fromField(table.irDataAt(placement.row - 1)).isValid())
            rows.append(placement.row);
    }
    return rows;
}

IrResult<CodeImport::Source> CodeImport::readFile(const QString &path, std::optional<CodeFormat> format)
{
    QFile file(path);
    try {
        SafeFile::openForReading(file);
    } catch (const ZoqError &refusal) {
        return SourceResult::refused(refusal.message());
    }
    if (file.size() > MaxFileBytes) {
        return SourceResult::refused(
            QStringLiteral("\"%1\" holds %2 bytes; code files of more than %3 MB are not read.")
                .arg(displayName(path))
                .arg(file.size())
                .arg(MaxFileBytes / (1024 * 1024)));
    }
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return SourceResult::refused(
            QStringLiteral("Cannot read file \"%1\". %2").arg(displayName(path), file.errorString()));
    IrResult<Source> source = readBytes(bytes, path, format);
    if (source.isOk() && source.value().format == CodeFormat::Mode2) {
        Source named = source.value();
        for (CodedKey &key : named.file.keys) {
            if (key.name.isEmpty())
                key.name = QFileInfo(path).completeBaseName();
        }
        return named;
    }
    return source;
}

IrResult<CodeImport::Source> CodeImport::readBytes(const QByteArray &bytes, const QString &fileName,
                                                   std::optional<CodeFormat> format)
{
    if (!format)
        format = recogniseCodeFormat(bytes);
    if (!format)
        format = codeFormatForFileName(fileName);
    if (!format) {
        return SourceResult::refused(QStringLiteral("\"%1\" is not a code file ZOQ reads (Pronto Hex, Flipper IR, "
                                                    "LIRC lircd.conf or mode2, CSV).")
                                         .arg(displayName(fileName)));
    }
    const IrResult<CodeFile> file = readCodes(*format, bytes);
    if (!file.isOk()) {
        return SourceResult::refused(QStringLiteral("\"%1\" cannot be read as %2: %3.")
                                         .arg(displayName(fileName), codeFormatInfo(*format).title, file.error()));
    }
    return Source{*format, file.value()};
}

IrResult<IrBlock> CodeImport::blockFor(const CodedKey &key)
{
    if (!key.captures.isEmpty()) {
        const std::optional<IrCode> decoded = IrDecoder::decode(key.captures.first());
        if (!key.code || (decoded && decoded->sameKey(*key.code)))
            return IrBlockWriter::write(key.captures);
    }
    if (key.code)
        return IrEncoder::block(*key.code);
    return IrResult<IrBlock>::refused(QStringLiteral("it holds no signal"));
}

CodeImport::Plan CodeImport::plan(const CodeTable &table, const CodeFile &file, const QList<int> &rows, int startRow)
{
    Plan plan;
    plan.refused = file.refused;
    const QList<int> targets = targetRows(table, rows, startRow);
    qsizetype next = 0;
    for (const CodedKey &key : file.keys) {
        const IrResult<IrBlock> block = blockFor(key);
        if (!block.isOk()) {
            plan.refused.append(KeyProblem::of(key, block.error()));
            continue;
        }
        if (next == targets.size()) {
            plan.refused.append(KeyProblem::of(key,
                                               rows.isEmpty()
                                                   ? QStringLiteral("no row left after row %1").arg(table.recordCount())
                                                   : QStringLiteral("no selected row left")));
            continue;
        }
        Placement placement;
        placement.row = targets.at(next++);
        placement.line = key.line;
        placement.block = block.value();
        const QByteArray name = nameBytes(table.nameEncoding(), key.name.trimmed(), &placement.nameNote);
        placement.block.setNameBytes(name);
        placement.function = table.nameEncoding().decode(name);
        placement.remark = key.remark.left(RemarkLength);
        plan.placements.append(placement);
    }
    std::stable_sort(plan.refused.begin(), plan.refused.end(),
                     [](const KeyProblem &a, const KeyProblem &b) { return a.line < b.line; });
    return plan;
}

void CodeImport::apply(CodeTable &table, const Plan &plan)
{
    if (plan.placements.isEmpty())
        return;
    const TableWalkGuard guard(table, TableWalkGuard::AfterRowChange | TableWalkGuard::Views);
    for (const Placement &placement : plan.placements) {
        table.setRecNo(placement.row);
        table.edit();
        table.setField(QStringLiteral("IR Data"), placement.block.toByteArray());
        table.setField(QStringLiteral("Function"), placement.function);
        table.setField(QStringLiteral("Remark"), placement.remark);
        table.post();
    }
    table.setRecNo(plan.placements.first().row);
}

QString CodeImport::overwriteQuestion(const QList<int> &rows)
{
    const QString count = rows.size() == 1 ? QStringLiteral("1 of the rows to be written holds")
                                           : QStringLiteral("%1 of the rows to be written hold").arg(rows.size());
    return QStringLiteral("%1 a learned signal (%2 %3). Overwrite %4?")
        .arg(count, rows.size() == 1 ? QStringLiteral("row") : QStringLiteral("rows"), rowList(rows, 10),
             rows.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"));
}

QString CodeImport::report(const Plan &plan, const QString &fileName, int maxLines)
{
    QStringList lines;
    const qsizetype placed = plan.placements.size();
    lines.append(placed == 0 ? QStringLiteral("No code of \"%1\" was imported.").arg(displayName(fileName))
                             : QStringLiteral("%1 %2 of \"%3\" imported:")
                                   .arg(placed)
                                   .arg(placed == 1 ? QStringLiteral("code") : QStringLiteral("codes"))
                                   .arg(displayName(fileName)));
    for (qsizetype i = 0; i < std::min<qsizetype>(placed, maxLines); ++i) {
        const Placement &p = plan.placements.at(i);
        QString line = QStringLiteral("line %1 -> row %2").arg(p.line).arg(p.row);
        if (!p.function.isEmpty())
            line += QStringLiteral(" '%1'").arg(p.function);
        if (!p.nameNote.isEmpty())
            line += QStringLiteral(" (%1)").arg(p.nameNote);
        lines.append(line);
    }
    if (placed > maxLines)
        lines.append(QStringLiteral("... and %1 more").arg(placed - maxLines));
    if (!plan.refused.isEmpty()) {
        lines.append(QStringLiteral("Not imported:"));
        for (qsizetype i = 0; i < std::min<qsizetype>(plan.refused.size(), maxLines); ++i)
            lines.append(plan.refused.at(i).text());
        if (plan.refused.size() > maxLines)
            lines.append(QStringLiteral("... and %1 more").arg(plan.refused.size() - maxLines));
    }
    return lines.join(QLatin1Char('\n'));
}
