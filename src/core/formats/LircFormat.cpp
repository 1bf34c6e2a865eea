#include "core/formats/LircFormat.h"

#include "core/formats/CaptureDurations.h"
#include "core/formats/CodeFileBuilder.h"
#include "core/formats/FormatNumbers.h"
#include "core/formats/KeyPreamble.h"
#include "core/formats/TextLines.h"

namespace {

using ReadResult = IrResult<CodeFile>;
constexpr int ValuesPerLine = 6;

[[nodiscard]] bool opens(const QStringList &words, const char *what)
{
    return words.size() >= 2 && words.at(0) == QLatin1String("begin") && words.at(1) == QLatin1String(what);
}

[[nodiscard]] bool closes(const QStringList &words, const char *what)
{
    return words.size() >= 2 && words.at(0) == QLatin1String("end") && words.at(1) == QLatin1String(what);
}

class LircReader final
{
public:
    ReadResult read(const QByteArray &bytes)
    {
        const QString error = TextLines(bytes).takeEach([this](const TextLines::Line &line) { return take(line); });
        if (!error.isEmpty())
            return ReadResult::refused(error);
        if (m_state != State::Outside) {
            return ReadResult::refused(QStringLiteral("line %1: the file ends inside remote '%2' (no 'end remote')")
                                           .arg(m_remoteLine)
                                           .arg(m_remoteName));
        }
        if (m_remoteLine == 0)
            return ReadResult::refused(QStringLiteral("the file holds no 'begin remote'"));
        return m_builder.take();
    }

private:
    enum class State
    {
        Outside,
        Remote,
        RawCodes,
        Codes
    };

    QString take(const TextLines::Line &line)
    {
        const QString trimmed = line.text.trimmed();
        if (trimmed.isEmpty())
            return {};
        if (TextLines::isComment(trimmed))
            return m_preamble.take(TextLines::commentText(trimmed));
        const QStringList words = TextLines::words(trimmed);
        switch (m_state) {
        case State::Outside:
            return takeOutside(words, line.number);
        case State::Remote:
            return takeRemote(words);
        case State::RawCodes:
            return takeRawCode(words, line.number);
        case State::Codes:
            return takeCode(words, line.number);
        }
        return {};
    }

    QString takeOutside(const QStringList &words, int lineNumber)
    {
        if (!opens(words, "remote"))
            return QStringLiteral("'%1' stands where 'begin remote' belongs")
                .arg(words.join(QLatin1Char(' ')).left(40));
        m_state = State::Remote;
        m_remoteLine = lineNumber;
        m_remoteName.clear();
        m_frequencyHz = LircFormat::DefaultFrequencyHz;
        return {};
    }

    QString takeRemote(const QStringList &words)
    {
        if (closes(words, "remote")) {
            m_state = State::Outside;
        } else if (opens(words, "raw_codes")) {
            m_state = State::RawCodes;
            m_preamble.clear();
        } else if (opens(words, "codes")) {
            m_state = State::Codes;
        } else if (words.first() == QLatin1String("name") && words.size() >= 2) {
            m_remoteName = words.at(1);
        } else if (words.first() == QLatin1String("frequency")) {
            const std::optional<qint64> hz = words.size() == 2 ? FormatNumbers::decimal(words.at(1)) : std::nullopt;
            if (!hz || *hz > std::numeric_limits<int>::max())
                return QStringLiteral("'%1' is not a frequency in Hz").arg(words.mid(1).join(QLatin1Char(' ')));
            m_frequencyHz = int(*hz);
        }
        return {};
    }

    QString takeRawCode(const QStringList &words, int lineNumber)
    {
        if (closes(words, "raw_codes") || words.first() == QLatin1String("name")) {
            const QString error = finishKey();
            if (!error.isEmpty())
                return error;
            if (closes(words, "raw_codes")) {
                m_state = State::Remote;
                return {};
            }
            if (words.size() < 2)
                return QStringLiteral("'name' without the key's name");
            m_key = CodedKey{};
            m_key.name = words.at(1);
            m_key.remark = m_preamble.remark();
            m_key.line = lineNumber;
            m_note = m_preamble.note();
            m_preamble.clear();
            m_inKey = true;
            return {};
        }
        if (!m_inKey)
            return QStringLiteral("durations before any 'name'");
        for (const QString &word : words) {
            const std::optional<qint64> us = FormatNumbers::decimal(word);
            if (!us)
                return QStringLiteral("'%1' is not a duration in microseconds").arg(word.left(20));
            m_durations.append(*us);
        }
        return {};
    }

    QString takeCode(const QStringList &words, int lineNumber)
    {
        if (closes(words, "codes")) {
            m_state = State::Remote;
            return {};
        }
        CodedKey key;
        key.name = words.first();
        key.line = lineNumber;
        m_builder.refuse(key,
                         QStringLiteral("remote '%1' describes its keys by protocol ('begin codes'); only raw codes "
                                        "are read")
                             .arg(m_remoteName),
                         false);
        m_preamble.clear();
        return {};
    }

    // Errors name the key's line.
    QString finishKey()
    {
        if (!m_inKey)
            return {};
        m_inKey = false;
        const QList<qint64> durations = std::exchange(m_durations, {});
        if (durations.isEmpty() || durations.size() % 2 == 0) {
            return QStringLiteral("key '%1' (line %2) %3")
                .arg(m_key.name)
                .arg(m_key.line)
                .arg(durations.isEmpty() ? QStringLiteral("has no durations")
                                         : QStringLiteral("ends on a space; a raw code ends on a pulse"));
        }
        m_builder.addRead(m_key, CaptureDurations::capture(m_frequencyHz, durations, {}, m_note), m_note.secondCapture,
                          [](CodedKey &k, const IrTiming &capture) { k.captures.append(capture); });
        return {};
    }

    CodeFileBuilder m_builder;
    KeyPreamble m_preamble;
    State m_state = State::Outside;
    int m_remoteLine = 0;
    QString m_remoteName;
    int m_frequencyHz = LircFormat::DefaultFrequencyHz;
    CodedKey m_key;
    TimingNote m_note;
    QList<qint64> m_durations;
    bool m_inKey = false;
};

// A LIRC name is one word.
[[nodiscard]] QString lircName(const QString &text, const QString &fallback)
{
    QString name = text.trimmed();
    for (QChar &c : name) {
        if (c.isSpace() || c == QLatin1Char('#'))
            c = QLatin1Char('_');
    }
    return name.isEmpty() ? fallback : name;
}

[[nodiscard]] int carrierPeriodOf(const CodedKey &key)
{
    return key.captures.first().carrierPeriod();
}

void appendDurations(QStringList &lines, const IrTiming &capture)
{
    const QList<qint64> durations = CaptureDurations::of(capture);
    for (qsizetype i = 0; i < durations.size(); i += ValuesPerLine) {
        QString line = QStringLiteral("       ");
        for (qsizetype j = i; j < std::min(i + ValuesPerLine, durations.size()); ++j)
            line += QString::number(durations.at(j)).rightJustified(7);
        lines.append(line);
    }
}

void appendRemote(QStringList &lines, const QString &name, const QList<CodedKey> &keys)
{
    qint64 gapUs = 0;
    for (const CodedKey &key : keys) {
        for (const IrTiming &capture : key.captures)
            gapUs = std::max(gapUs, capture.leadOutMicros());
    }
    const IrTiming &first = keys.first().captures.first();
    lines << QStringLiteral("begin remote") << QString() << QStringLiteral("  name  ") + name
          << QStringLiteral("  flags RAW_CODES") << QStringLiteral("  eps            30")
          << QStringLiteral("  aeps          100")
          << QStringLiteral("  frequency    %1").arg(first.carrierPeriod() == 0 ? 0 : first.carrierHz())
          << QStringLiteral("  gap          %1").arg(gapUs) << QString() << QStringLiteral("      begin raw_codes");
    for (const CodedKey &key : keys) {
        const QString keyName = lircName(key.name, QStringLiteral("Key%1").arg(key.row));
        for (int c = 0; c < key.captures.size(); ++c) {
            lines.append(QString());
            lines += KeyPreamble::lines(c == 0 ? key.remark : QString(),
                                        CaptureDurations::noteFor(key.captures.at(c), {}, c == 1));
            lines.append(QStringLiteral("          name ") + keyName);
            appendDurations(lines, key.captures.at(c));
        }
    }
    lines << QString() << QStringLiteral("      end raw_codes") << QString() << QStringLiteral("end remote");
}

} // namespace

IrResult<CodeFile> LircFormat::read(const QByteArray &bytes)
{
    return LircReader().read(bytes);
}

CodeFileOutput LircFormat::write(const QList<CodedKey> &keys, const QString &remoteName)
{
    CodeFileOutput output;
    // Runs of keys with one carrier, each a remote of its own.
    QList<QList<CodedKey>> runs;
    for (const CodedKey &key : keys) {
        if (key.captures.isEmpty()) {
            output.refused.append(KeyProblem::of(key, QStringLiteral("it holds no signal")));
            continue;
        }
        if (key.captures.size() == 2 && key.captures.at(1).carrierPeriod() != carrierPeriodOf(key)) {
            output.refused.append(KeyProblem::of(key,
                                                 QStringLiteral("its two captures have different carriers; "
                                                                "a LIRC remote has one")));
            continue;
        }
        if (runs.isEmpty() || carrierPeriodOf(runs.last().first()) != carrierPeriodOf(key))
            runs.append(QList<CodedKey>());
        runs.last().append(key);
        ++output.written;
    }
    const QString base = lircName(remoteName, QStringLiteral("ZOQ"));
    QStringList lines;
    for (int r = 0; r < runs.size(); ++r) {
        if (r > 0)
            lines.append(QString());
        appendRemote(lines, r == 0 ? base : QStringLiteral("%1_%2").arg(base).arg(r + 1), runs.at(r));
    }
    output.bytes = (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    return output;
}

bool LircFormat::looksLike(const QByteArray &bytes)
{
    return opens(TextLines::words(TextLines(bytes).firstContentLine()), "remote");
}
