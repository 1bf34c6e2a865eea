#include "core/formats/FlipperFormat.h"

#include "core/formats/CaptureDurations.h"
#include "core/formats/CodeFileBuilder.h"
#include "core/formats/FlipperProtocol.h"
#include "core/formats/FormatNumbers.h"
#include "core/formats/KeyPreamble.h"
#include "core/formats/TextLines.h"

#include <QHash>
#include <QLocale>

namespace {

using ReadResult = IrResult<CodeFile>;

const QString SignalsFileType = QStringLiteral("IR signals file");
const QString LibraryFileType = QStringLiteral("IR library file");
constexpr int CarrierOnlyHz = 38000;
constexpr double DutyCycle = 0.33;

struct Field
{
    int line = 0;
    QString value;
};

struct Signal
{
    int line = 0;
    QString name;
    QString remark;
    TimingNote note;
    QHash<QString, Field> fields;
};

// "key: value"; false for a line without a colon.
[[nodiscard]] bool splitField(const QString &line, QString *key, QString *value)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    *key = line.left(colon).trimmed();
    *value = line.mid(colon + 1).trimmed();
    return true;
}

// Four hex bytes, lowest first.
[[nodiscard]] std::optional<quint32> hexBytes(const QString &text)
{
    const QStringList bytes = TextLines::words(text);
    if (bytes.size() != 4)
        return std::nullopt;
    quint32 value = 0;
    for (int i = 3; i >= 0; --i) {
        const std::optional<quint32> byte = bytes.at(i).size() == 2 ? FormatNumbers::hex(bytes.at(i)) : std::nullopt;
        if (!byte)
            return std::nullopt;
        value = value << 8 | *byte;
    }
    return value;
}

class FlipperReader final
{
public:
    ReadResult read(const QByteArray &bytes)
    {
        const TextLines text(bytes);
        for (const TextLines::Line &line : text.lines()) {
            const QString error = take(line);
            if (!error.isEmpty())
                return ReadResult::refused(error);
        }
        if (m_fileType.isEmpty())
            return ReadResult::refused(QStringLiteral("the file holds no 'Filetype: IR signals file' line"));
        const QString error = finishSignal();
        if (!error.isEmpty())
            return ReadResult::refused(error);
        return m_builder.take();
    }

private:
    // Errors name their line.
    QString take(const TextLines::Line &line)
    {
        const auto at = [&line](const QString &error) {
            return error.isEmpty() ? error : QStringLiteral("line %1: %2").arg(line.number).arg(error);
        };
        const QString trimmed = line.text.trimmed();
        if (trimmed.isEmpty())
            return {};
        if (TextLines::isComment(trimmed))
            return at(m_preamble.take(TextLines::commentText(trimmed)));
        QString key;
        QString value;
        if (!splitField(trimmed, &key, &value))
            return at(QStringLiteral("'%1' is not a 'key: value' line").arg(trimmed.left(40)));
        if (m_fileType.isEmpty()) {
            if (key != QLatin1String("Filetype") || (value != SignalsFileType && value != LibraryFileType))
                return at(QStringLiteral("not a Flipper IR file: it does not start with 'Filetype: IR signals file'"));
            m_fileType = value;
            return {};
        }
        if (key == QLatin1String("Version")) {
            if (value != QLatin1String("1"))
                return at(QStringLiteral("version %1 of the IR file format is not known (1 is)").arg(value));
            return {};
        }
        if (key == QLatin1String("name")) {
            const QString error = finishSignal();
            m_signal = Signal{line.number, value, m_preamble.remark(), m_preamble.note(), {}};
            m_preamble.clear();
            m_inSignal = true;
            return error;
        }
        if (!m_inSignal)
            return {};
        Field &field = m_signal.fields[key];
        if (field.line == 0)
            field = {line.number, value};
        else
            field.value += QLatin1Char(' ') + value;
        return {};
    }

    QString finishSignal()
    {
        if (!m_inSignal)
            return {};
        m_inSignal = false;
        CodedKey key;
        key.name = m_signal.name;
        key.remark = m_signal.remark;
        key.line = m_signal.line;
        const QString type = m_signal.fields.value(QStringLiteral("type")).value;
        if (type == QLatin1String("parsed"))
            return readParsed(std::move(key));
        if (type == QLatin1String("raw"))
            return readRaw(std::move(key));
        if (type.isEmpty())
            return missing(QStringLiteral("type"));
        m_builder.refuse(key, QStringLiteral("type '%1' is neither parsed nor raw").arg(type), false);
        return {};
    }

    QString missing(const QString &field) const
    {
        return QStringLiteral("line %1: signal '%2' has no '%3' (the file may be cut short)")
            .arg(m_signal.line)
            .arg(m_signal.name, field);
    }

    QString malformed(const QString &field, const QString &what) const
    {
        const Field &f = m_signal.fields.value(field);
        return QStringLiteral("line %1: %2 '%3' is not %4").arg(f.line).arg(field, f.value.left(40), what);
    }

    // The field, or an error naming it.
    QString require(const QStringList &names) const
    {
        for (const QString &name : names) {
            if (!m_signal.fields.contains(name))
                return missing(name);
        }
        return {};
    }

    QString readParsed(CodedKey key)
    {
        const QString absent =
            require({QStringLiteral("protocol"), QStringLiteral("address"), QStringLiteral("command")});
        if (!absent.isEmpty())
            return absent;
        const std::optional<quint32> address = hexBytes(m_signal.fields.value(QStringLiteral("address")).value);
        if (!address)
            return malformed(QStringLiteral("address"), QStringLiteral("four hex bytes"));
        const std::optional<quint32> command = hexBytes(m_signal.fields.value(QStringLiteral("command")).value);
        if (!command)
            return malformed(QStringLiteral("command"), QStringLiteral("four hex bytes"));
        const FlipperProtocol::Fields fields{m_signal.fields.value(QStringLiteral("protocol")).value, *address,
                                             *command};
        m_builder.addRead(std::move(key), FlipperProtocol::toCode(fields), m_signal.note.secondCapture,
                          [](CodedKey &k, const IrCode &code) { k.code = code; });
        return {};
    }

    QString readRaw(CodedKey key)
    {
        const QString absent =
            require({QStringLiteral("frequency"), QStringLiteral("duty_cycle"), QStringLiteral("data")});
        if (!absent.isEmpty())
            return absent;
        const std::optional<qint64> frequency =
            FormatNumbers::decimal(m_signal.fields.value(QStringLiteral("frequency")).value);
        if (!frequency || *frequency > std::numeric_limits<int>::max())
            return malformed(QStringLiteral("frequency"), QStringLiteral("a frequency in Hz"));
        bool ok = false;
        const double duty = QLocale::c().toDouble(m_signal.fields.value(QStringLiteral("duty_cycle")).value, &ok);
        if (!ok || !(duty > 0 && duty <= 1))
            return malformed(QStringLiteral("duty_cycle"), QStringLiteral("a number above 0 and at most 1"));
        QList<qint64> durations;
        for (const QString &word : TextLines::words(m_signal.fields.value(QStringLiteral("data")).value)) {
            const std::optional<qint64> us = FormatNumbers::decimal(word);
            if (!us)
                return malformed(QStringLiteral("data"), QStringLiteral("a list of durations in microseconds"));
            durations.append(*us);
        }
        const int carrierHz = duty >= 1 ? 0 : int(*frequency);
        m_builder.addRead(std::move(key), CaptureDurations::capture(carrierHz, durations, {}, m_signal.note),
                          m_signal.note.secondCapture,
                          [](CodedKey &k, const IrTiming &capture) { k.captures.append(capture); });
        return {};
    }

    CodeFileBuilder m_builder;
    KeyPreamble m_preamble;
    QString m_fileType;
    Signal m_signal;
    bool m_inSignal = false;
};

// Flipper takes printable ASCII names.
[[nodiscard]] QString flipperName(const CodedKey &key)
{
    QString name = key.name.trimmed();
    for (QChar &c : name) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            c = QLatin1Char('_');
    }
    return name.isEmpty() ? QStringLiteral("Key%1").arg(key.row) : name;
}

[[nodiscard]] QString hexBytesText(quint32 value)
{
    QStringList bytes;
    for (int i = 0; i < 4; ++i)
        bytes.append(QStringLiteral("%1").arg(value >> (8 * i) & 0xFF, 2, 16, QLatin1Char('0')).toUpper());
    return bytes.join(QLatin1Char(' '));
}

[[nodiscard]] QStringList parsedLines(const QString &name, const FlipperProtocol::Fields &fields)
{
    return {QStringLiteral("name: ") + name, QStringLiteral("type: parsed"),
            QStringLiteral("protocol: ") + fields.protocol, QStringLiteral("address: ") + hexBytesText(fields.address),
            QStringLiteral("command: ") + hexBytesText(fields.command)};
}

IrResult<QStringList> rawLines(const QString &name, const IrTiming &capture)
{
    const QList<qint64> durations = CaptureDurations::of(capture);
    if (durations.size() > FlipperFormat::MaxDurations) {
        return IrResult<QStringList>::refused(
            QStringLiteral("%1 durations; a Flipper raw signal holds at most %2 (%3 too many)")
                .arg(durations.size())
                .arg(FlipperFormat::MaxDurations)
                .arg(durations.size() - FlipperFormat::MaxDurations));
    }
    QStringList data;
    data.reserve(durations.size());
    for (const qint64 us : durations)
        data.append(QString::number(us));
    const bool carrier = capture.carrierPeriod() != 0;
    return QStringList{QStringLiteral("name: ") + name, QStringLiteral("type: raw"),
                       QStringLiteral("frequency: %1").arg(carrier ? capture.carrierHz() : CarrierOnlyHz),
                       QStringLiteral("duty_cycle: %1").arg(carrier ? DutyCycle : 1.0, 0, 'f', 6),
                       QStringLiteral("data: ") + data.join(QLatin1Char(' '))};
}

IrResult<QStringList> keyLines(const CodedKey &key)
{
    const QString name = flipperName(key);
    QStringList lines{QStringLiteral("#")};
    lines += KeyPreamble::lines(key.remark, {});
    const std::optional<FlipperProtocol::Fields> parsed =
        key.code ? FlipperProtocol::fromCode(*key.code) : std::nullopt;
    if (parsed) {
        lines += parsedLines(name, *parsed);
        return lines;
    }
    if (key.captures.isEmpty())
        return IrResult<QStringList>::refused(QStringLiteral("it holds no signal"));
    for (int c = 0; c < key.captures.size(); ++c) {
        const IrResult<QStringList> raw = rawLines(name, key.captures.at(c));
        if (!raw.isOk())
            return raw;
        if (c > 0)
            lines.append(QStringLiteral("#"));
        lines += KeyPreamble::lines({}, CaptureDurations::noteFor(key.captures.at(c), {}, c == 1));
        lines += raw.value();
    }
    return lines;
}

} // namespace

IrResult<CodeFile> FlipperFormat::read(const QByteArray &bytes)
{
    return FlipperReader().read(bytes);
}

CodeFileOutput FlipperFormat::write(const QList<CodedKey> &keys)
{
    CodeFileOutput output;
    QStringList lines{QStringLiteral("Filetype: ") + SignalsFileType, QStringLiteral("Version: 1")};
    for (const CodedKey &key : keys) {
        const IrResult<QStringList> written = keyLines(key);
        if (!written.isOk()) {
            output.refused.append(KeyProblem::of(key, written.error()));
            continue;
        }
        lines += written.value();
        ++output.written;
    }
    output.bytes = (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    return output;
}

bool FlipperFormat::looksLike(const QByteArray &bytes)
{
    return TextLines(bytes).firstContentLine().startsWith(QLatin1String("Filetype:"));
}
