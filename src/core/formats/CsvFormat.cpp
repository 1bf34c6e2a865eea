#include "core/formats/CsvFormat.h"

#include "core/formats/CodeFileBuilder.h"
#include "core/formats/FormatNumbers.h"
#include "core/formats/ProntoCode.h"
#include "core/formats/TextLines.h"
#include "core/formats/TimingNote.h"

#include <QHash>

namespace {

using ReadResult = IrResult<CodeFile>;

const QStringList Header{QStringLiteral("ID"),         QStringLiteral("Function"),     QStringLiteral("Remark"),
                         QStringLiteral("Format"),     QStringLiteral("Carry"),        QStringLiteral("Protocol"),
                         QStringLiteral("Address"),    QStringLiteral("Command"),      QStringLiteral("Toggle"),
                         QStringLiteral("Pronto Hex"), QStringLiteral("Pronto Hex 2"), QStringLiteral("Timing"),
                         QStringLiteral("Timing 2")};

struct Record
{
    int line = 0;
    QStringList cells;
};

// The separator the header line uses most: comma, semicolon or tab.
[[nodiscard]] QChar separatorOf(const QString &text)
{
    int counts[3] = {0, 0, 0};
    const QChar candidates[3] = {QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t')};
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            break;
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        for (int i = 0; i < 3 && !quoted; ++i)
            counts[i] += c == candidates[i];
    }
    int best = 0;
    for (int i = 1; i < 3; ++i) {
        if (counts[i] > counts[best])
            best = i;
    }
    return candidates[best];
}

// Records of RFC 4180 text: quoted cells may hold separators, line breaks
// and doubled quotes. Refused when a quoted cell is not closed.
IrResult<QList<Record>> records(const QString &text, QChar separator)
{
    QList<Record> result;
    Record record{1, {}};
    QString cell;
    bool quoted = false;
    bool wasQuoted = false;
    int line = 1;
    int quoteLine = 0;
    const auto endCell = [&] {
        record.cells.append(wasQuoted ? cell : cell.trimmed());
        cell.clear();
        wasQuoted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                cell += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                if (c == QLatin1Char('\n')
                    || (c == QLatin1Char('\r') && (i + 1 == text.size() || text.at(i + 1) != QLatin1Char('\n'))))
                    ++line;
                cell += c;
            }
        } else if (c == QLatin1Char('"') && cell.trimmed().isEmpty()) {
            quoted = true;
            wasQuoted = true;
            quoteLine = line;
            cell.clear();
        } else if (c == separator) {
            endCell();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            endCell();
            result.append(record);
            record = Record{++line, {}};
        } else {
            cell += c;
        }
    }
    if (quoted)
        return IrResult<QList<Record>>::refused(QStringLiteral("line %1: a quoted cell is not closed").arg(quoteLine));
    if (!cell.isEmpty() || !record.cells.isEmpty()) {
        endCell();
        result.append(record);
    }
    return result;
}

[[nodiscard]] bool startsLikeFormula(const QString &cell)
{
    return !cell.isEmpty() && QStringLiteral("=+-@").contains(cell.front());
}

class CsvReader final
{
public:
    ReadResult read(const QByteArray &bytes)
    {
        const QString text = TextLines::decode(bytes);
        const IrResult<QList<Record>> rows = records(text, separatorOf(text));
        if (!rows.isOk())
            return ReadResult::refused(rows.error());
        if (rows.value().isEmpty() || !takeHeader(rows.value().first().cells)) {
            return ReadResult::refused(
                QStringLiteral("line 1: the header names neither a 'Pronto Hex' nor a 'Protocol' column"));
        }
        for (const Record &row : rows.value().sliced(1)) {
            const QString error = takeRow(row);
            if (!error.isEmpty())
                return ReadResult::refused(QStringLiteral("line %1: %2").arg(row.line).arg(error));
        }
        return m_builder.take();
    }

private:
    bool takeHeader(const QStringList &cells)
    {
        for (int i = 0; i < cells.size(); ++i) {
            const QString name = cells.at(i).trimmed().toLower();
            if (!m_columns.contains(name))
                m_columns.insert(name, i);
        }
        if (!m_columns.contains(QStringLiteral("function")) && m_columns.contains(QStringLiteral("name")))
            m_columns.insert(QStringLiteral("function"), m_columns.value(QStringLiteral("name")));
        if (!m_columns.contains(QStringLiteral("pronto hex")) && m_columns.contains(QStringLiteral("pronto")))
            m_columns.insert(QStringLiteral("pronto hex"), m_columns.value(QStringLiteral("pronto")));
        return m_columns.contains(QStringLiteral("pronto hex")) || m_columns.contains(QStringLiteral("protocol"));
    }

    [[nodiscard]] QString cell(const Record &row, const char *column) const
    {
        const int index = m_columns.value(QLatin1String(column), -1);
        if (index < 0 || index >= row.cells.size())
            return {};
        QString value = row.cells.at(index);
        if (value.startsWith(QLatin1Char('\'')) && startsLikeFormula(value.mid(1)))
            value.remove(0, 1);
        return value;
    }

    QString takeRow(const Record &row)
    {
        if (std::all_of(row.cells.cbegin(), row.cells.cend(), [](const QString &c) { return c.trimmed().isEmpty(); }))
            return {};
        CodedKey key;
        key.name = cell(row, "function");
        key.remark = cell(row, "remark");
        key.line = row.line;

        QStringList refusals;
        const QString protocolError = takeProtocol(row, key, refusals);
        if (!protocolError.isEmpty())
            return protocolError;
        const QString prontoError = takePronto(row, key, refusals);
        if (!prontoError.isEmpty())
            return prontoError;
        if (key.captures.isEmpty() && !key.code) {
            m_builder.refuse(key,
                             refusals.isEmpty()
                                 ? QStringLiteral("the row holds neither a Pronto Hex code nor a protocol")
                                 : refusals.join(QStringLiteral("; ")),
                             false);
            return {};
        }
        m_builder.add(std::move(key), false);
        return {};
    }

    // Errors are malformed cells; a code ZOQ cannot build goes to refusals.
    QString takeProtocol(const Record &row, CodedKey &key, QStringList &refusals) const
    {
        const QString name = cell(row, "protocol").trimmed();
        if (name.isEmpty())
            return {};
        IrCode code;
        for (const auto &[column, value] : {std::pair{"address", &code.address}, std::pair{"command", &code.command}}) {
            const QString text = cell(row, column).trimmed();
            const std::optional<quint32> number = FormatNumbers::number(text);
            if (!number)
                return QStringLiteral("%1 '%2' is not a number (decimal or 0x hex)")
                    .arg(QLatin1String(column), text.left(20));
            *value = *number;
        }
        const QString toggle = cell(row, "toggle").trimmed().toUpper();
        if (!toggle.isEmpty() && toggle != QLatin1String("0") && toggle != QLatin1String("1")
            && toggle != QLatin1String("T0") && toggle != QLatin1String("T1"))
            return QStringLiteral("toggle '%1' is not 0 or 1").arg(toggle.left(20));
        code.toggle = toggle.endsWith(QLatin1Char('1'));
        const std::optional<IrProtocol> protocol = irProtocolFromName(name);
        if (!protocol) {
            refusals.append(QStringLiteral("protocol '%1' is not one ZOQ builds").arg(name.left(20)));
            return {};
        }
        code.protocol = *protocol;
        const QString error = code.error();
        if (error.isEmpty())
            key.code = code;
        else
            refusals.append(error);
        return {};
    }

    QString takePronto(const Record &row, CodedKey &key, QStringList &refusals) const
    {
        QList<IrTiming> captures;
        for (const auto &[codeColumn, noteColumn] :
             {std::pair{"pronto hex", "timing"}, std::pair{"pronto hex 2", "timing 2"}}) {
            const QString text = cell(row, codeColumn);
            if (text.trimmed().isEmpty())
                continue;
            const IrResult<QList<quint16>> words = ProntoCode::words(text);
            if (!words.isOk())
                return QStringLiteral("%1: %2").arg(QLatin1String(codeColumn), words.error());
            const IrResult<TimingNote> note = TimingNote::fromItems(cell(row, noteColumn));
            if (!note.isOk())
                return QStringLiteral("%1: %2").arg(QLatin1String(noteColumn), note.error());
            const IrResult<ProntoCode::Signal> signal = ProntoCode::read(words.value(), note.value());
            if (!signal.isOk()) {
                refusals.append(signal.error());
                return {};
            }
            if (signal.value().code && !key.code)
                key.code = signal.value().code;
            if (signal.value().capture)
                captures.append(*signal.value().capture);
        }
        key.captures = captures;
        return {};
    }

    CodeFileBuilder m_builder;
    QHash<QString, int> m_columns;
};

[[nodiscard]] QString csvCell(QString text)
{
    if (startsLikeFormula(text))
        text.prepend(QLatin1Char('\''));
    const bool quote = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))
        || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char(';'))
        || text.contains(QLatin1Char('\t')) || text != text.trimmed();
    if (!quote)
        return text;
    return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

[[nodiscard]] QString hexNumber(quint32 value)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

IrResult<QStringList> rowOf(const CodedKey &key)
{
    QStringList cells(Header.size());
    cells[0] = QString::number(key.row);
    cells[1] = key.name;
    cells[2] = key.remark;
    if (!key.captures.isEmpty()) {
        const IrTiming &first = key.captures.first();
        cells[3] = key.captures.size() == 2 ? QStringLiteral("RC5/RC6") : QStringLiteral("Normal");
        cells[4] = QString::number(first.carrierHz());
    }
    if (key.code) {
        cells[5] = irProtocolName(key.code->protocol);
        cells[6] = hexNumber(key.code->address);
        cells[7] = hexNumber(key.code->command);
        if (irProtocolInfo(key.code->protocol).hasToggle)
            cells[8] = key.code->toggle ? QStringLiteral("1") : QStringLiteral("0");
    }
    for (int c = 0; c < key.captures.size(); ++c) {
        const IrResult<ProntoCode::Written> code = ProntoCode::write(key.captures.at(c), false);
        if (!code.isOk())
            return IrResult<QStringList>::refused(code.error());
        cells[9 + c] = code.value().text;
        cells[11 + c] = code.value().note.items();
    }
    if (key.captures.isEmpty() && !key.code)
        return IrResult<QStringList>::refused(QStringLiteral("it holds no signal"));
    return cells;
}

[[nodiscard]] QString csvLine(const QStringList &cells)
{
    QStringList quoted;
    for (const QString &cell : cells)
        quoted.append(csvCell(cell));
    return quoted.join(QLatin1Char(','));
}

} // namespace

IrResult<CodeFile> CsvFormat::read(const QByteArray &bytes)
{
    return CsvReader().read(bytes);
}

CodeFileOutput CsvFormat::write(const QList<CodedKey> &keys)
{
    CodeFileOutput output;
    QStringList lines{csvLine(Header)};
    for (const CodedKey &key : keys) {
        const IrResult<QStringList> row = rowOf(key);
        if (!row.isOk()) {
            output.refused.append(KeyProblem::of(key, row.error()));
            continue;
        }
        lines.append(csvLine(row.value()));
        ++output.written;
    }
    output.bytes = QByteArray("\xEF\xBB\xBF") + (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
    return output;
}

bool CsvFormat::looksLike(const QByteArray &bytes)
{
    const QString text = TextLines::decode(bytes);
    const QString firstLine = text.section(QLatin1Char('\n'), 0, 0);
    const QChar separator = separatorOf(firstLine);
    for (const QString &cell : firstLine.split(separator)) {
        QString name = cell.trimmed();
        if (name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')) && name.size() >= 2)
            name = name.mid(1, name.size() - 2);
        if (name.compare(QLatin1String("Pronto Hex"), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1String("Protocol"), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
