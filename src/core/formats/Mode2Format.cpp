#include "core/formats/Mode2Format.h"

#include "core/formats/CaptureDurations.h"
#include "core/formats/CodeFileBuilder.h"
#include "core/formats/FormatNumbers.h"
#include "core/formats/KeyPreamble.h"
#include "core/formats/TextLines.h"

namespace {

using ReadResult = IrResult<CodeFile>;

enum class Kind
{
    Pulse,
    Space,
    Carrier,
    Timeout,
    Other
};

[[nodiscard]] Kind kindOf(const QString &word)
{
    if (word == QLatin1String("pulse"))
        return Kind::Pulse;
    if (word == QLatin1String("space"))
        return Kind::Space;
    if (word == QLatin1String("carrier"))
        return Kind::Carrier;
    if (word == QLatin1String("timeout"))
        return Kind::Timeout;
    return Kind::Other;
}

class Mode2Reader final
{
public:
    ReadResult read(const QByteArray &bytes)
    {
        const QString error = TextLines(bytes).takeEach([this](const TextLines::Line &line) { return take(line); });
        if (!error.isEmpty())
            return ReadResult::refused(error);
        if (!m_seenPulse)
            return ReadResult::refused(QStringLiteral("the text holds no 'pulse' line"));
        finishCapture();
        return m_builder.take();
    }

private:
    QString take(const TextLines::Line &line)
    {
        const QString trimmed = line.text.trimmed();
        if (trimmed.isEmpty())
            return {};
        if (TextLines::isComment(trimmed)) {
            const QString error = m_preamble.take(TextLines::commentText(trimmed));
            // A second capture's note closes the first.
            if (error.isEmpty() && m_preamble.note().secondCapture)
                finishCapture();
            return error;
        }
        const QStringList words = TextLines::words(trimmed);
        const Kind kind = kindOf(words.first());
        if (kind == Kind::Other || words.size() != 2) {
            if (!m_seenValue)
                return {};
            return QStringLiteral("'%1' is not a pulse, space, carrier or timeout line").arg(trimmed.left(40));
        }
        const std::optional<qint64> value = FormatNumbers::decimal(words.at(1));
        if (!value || *value > std::numeric_limits<int>::max())
            return QStringLiteral("'%1' is not a number").arg(words.at(1).left(20));
        m_seenValue = true;
        if (kind == Kind::Carrier) {
            m_carrierHz = int(*value);
        } else if (kind == Kind::Pulse) {
            if (m_startLine == 0)
                startCapture(line.number);
            m_seenPulse = true;
            addDuration(true, *value);
        } else if (m_startLine != 0) {
            addDuration(false, *value);
        }
        return {};
    }

    void addDuration(bool pulse, qint64 us)
    {
        const bool sameKind = !m_durations.isEmpty() && (m_durations.size() % 2 == 1) == pulse;
        if (sameKind)
            m_durations.last() += us;
        else
            m_durations.append(us);
    }

    void startCapture(int lineNumber)
    {
        m_startLine = lineNumber;
        m_key = CodedKey{};
        m_key.line = lineNumber;
        m_key.remark = m_preamble.remark();
        m_note = m_preamble.note();
        m_preamble.clear();
    }

    void finishCapture()
    {
        if (m_startLine == 0)
            return;
        if (!m_durations.isEmpty() && m_durations.size() % 2 == 0)
            m_durations.removeLast();
        m_builder.addRead(m_key, CaptureDurations::capture(m_carrierHz, m_durations, {}, m_note), m_note.secondCapture,
                          [](CodedKey &k, const IrTiming &capture) { k.captures.append(capture); });
        m_durations.clear();
        m_startLine = 0;
    }

    CodeFileBuilder m_builder;
    KeyPreamble m_preamble;
    CodedKey m_key;
    TimingNote m_note;
    QList<qint64> m_durations;
    int m_carrierHz = Mode2Format::DefaultCarrierHz;
    int m_startLine = 0;
    bool m_seenValue = false;
    bool m_seenPulse = false;
};

} // namespace

IrResult<CodeFile> Mode2Format::read(const QByteArray &bytes)
{
    return Mode2Reader().read(bytes);
}

CodeFileOutput Mode2Format::write(const QList<CodedKey> &keys)
{
    CodeFileOutput output;
    QStringList lines;
    for (const CodedKey &key : keys) {
        if (output.written > 0 || key.captures.isEmpty()) {
            output.refused.append(KeyProblem::of(key,
                                                 key.captures.isEmpty()
                                                     ? QStringLiteral("it holds no signal")
                                                     : QStringLiteral("a mode2 text holds one key")));
            continue;
        }
        for (int c = 0; c < key.captures.size(); ++c) {
            const IrTiming &capture = key.captures.at(c);
            lines +=
                KeyPreamble::lines(c == 0 ? key.remark : QString(), CaptureDurations::noteFor(capture, {}, c == 1));
            lines.append(QStringLiteral("carrier %1").arg(capture.carrierPeriod() == 0 ? 0 : capture.carrierHz()));
            const QList<qint64> durations = CaptureDurations::of(capture);
            for (qsizetype i = 0; i < durations.size(); ++i)
                lines.append((i % 2 == 0 ? QStringLiteral("pulse ") : QStringLiteral("space "))
                             + QString::number(durations.at(i)));
        }
        ++output.written;
    }
    output.bytes = (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    return output;
}

bool Mode2Format::looksLike(const QByteArray &bytes)
{
    const TextLines text(bytes);
    int checked = 0;
    for (const TextLines::Line &line : text.lines()) {
        const QStringList words = TextLines::words(line.text);
        if (words.isEmpty() || TextLines::isComment(line.text))
            continue;
        const Kind kind = kindOf(words.first());
        if ((kind == Kind::Pulse || kind == Kind::Space) && words.size() == 2 && FormatNumbers::decimal(words.at(1)))
            return true;
        if (++checked > 20)
            break;
    }
    return false;
}
