#include "core/formats/ProntoFormat.h"

#include "core/formats/CodeFileBuilder.h"
#include "core/formats/KeyPreamble.h"
#include "core/formats/ProntoCode.h"
#include "core/formats/TextLines.h"

namespace {

using ReadResult = IrResult<CodeFile>;

// "# text" or a lone "#": a line starting "#1" names a key.
[[nodiscard]] bool isProntoComment(const QString &trimmed)
{
    return trimmed == QLatin1String("#") || trimmed.startsWith(QLatin1String("# "))
        || trimmed.startsWith(QLatin1String("#\t"));
}

// Where the code on a line of words starts: 0 when the line is all code,
// the first word of a code that follows a name, or -1 for a line of text.
[[nodiscard]] qsizetype codeStart(const QStringList &words)
{
    if (words.isEmpty())
        return -1;
    if (ProntoCode::isWord(words.first()))
        return 0;
    qsizetype start = words.size();
    while (start > 0 && ProntoCode::isWord(words.at(start - 1)))
        --start;
    return words.size() - start >= 4 ? start : -1;
}

[[nodiscard]] QString nameOf(const QString &text)
{
    QString name = text.trimmed();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name.trimmed();
}

class ProntoReader final
{
public:
    ReadResult read(const QByteArray &bytes)
    {
        const QString error = TextLines(bytes).takeEach([this](const TextLines::Line &line) { return take(line); });
        if (!error.isEmpty())
            return ReadResult::refused(error);
        if (!m_words.isEmpty())
            return ReadResult::refused(QStringLiteral("the file ends inside %1").arg(truncation()));
        if (m_codes == 0)
            return ReadResult::refused(QStringLiteral("the file holds no Pronto Hex code"));
        return m_builder.take();
    }

private:
    QString take(const TextLines::Line &line)
    {
        const QString trimmed = line.text.trimmed();
        const QStringList words = TextLines::words(trimmed);
        if (!m_words.isEmpty()) {
            if (words.isEmpty() || !ProntoCode::isWord(words.first()))
                return truncation();
            return addWords(words);
        }
        if (trimmed.isEmpty())
            return {};
        if (isProntoComment(trimmed))
            return m_preamble.take(TextLines::commentText(trimmed));
        const qsizetype start = codeStart(words);
        if (start < 0) {
            m_name = nameOf(trimmed);
            return {};
        }
        if (start > 0)
            m_name = nameOf(words.first(start).join(QLatin1Char(' ')));
        m_startLine = line.number;
        return addWords(words.mid(start));
    }

    QString addWords(const QStringList &words)
    {
        for (const QString &text : words) {
            const std::optional<quint16> word = ProntoCode::word(text);
            if (!word)
                return QStringLiteral("'%1' is not a Pronto word (four hex digits)").arg(text);
            if (m_words.size() == m_expected) {
                return QStringLiteral("the code from line %1 has more words than its pair counts call for (%2)")
                    .arg(m_startLine)
                    .arg(m_expected);
            }
            m_words.append(*word);
            if (m_words.size() == 4)
                m_expected = ProntoCode::wordCount(m_words);
        }
        if (m_words.size() == m_expected)
            finishCode();
        return {};
    }

    QString truncation() const
    {
        return QStringLiteral("the code from line %1: it ends after %2 words; its pair counts call for %3")
            .arg(m_startLine)
            .arg(m_words.size())
            .arg(m_words.size() < 4 ? QStringLiteral("at least 4") : QString::number(m_expected));
    }

    void finishCode()
    {
        CodedKey key;
        key.name = m_name;
        key.remark = m_preamble.remark();
        key.line = m_startLine;
        const TimingNote note = m_preamble.note();
        m_builder.addRead(std::move(key), ProntoCode::read(m_words, note), note.secondCapture,
                          [](CodedKey &k, const ProntoCode::Signal &signal) {
                              if (signal.capture)
                                  k.captures.append(*signal.capture);
                              k.code = signal.code;
                          });
        ++m_codes;
        m_words.clear();
        m_expected = -1;
        m_name.clear();
        m_preamble.clear();
    }

    CodeFileBuilder m_builder;
    KeyPreamble m_preamble;
    QString m_name;
    QList<quint16> m_words;
    qint64 m_expected = -1;
    int m_startLine = 0;
    int m_codes = 0;
};

// A name line must not read as a code or a comment.
[[nodiscard]] QString nameLine(const QString &name)
{
    const QStringList words = TextLines::words(name);
    if (!words.isEmpty() && ProntoCode::isWord(words.first()))
        return name + QLatin1Char(':');
    return name;
}

} // namespace

IrResult<CodeFile> ProntoFormat::read(const QByteArray &bytes)
{
    return ProntoReader().read(bytes);
}

CodeFileOutput ProntoFormat::write(const QList<CodedKey> &keys)
{
    CodeFileOutput output;
    QStringList lines;
    for (const CodedKey &key : keys) {
        QStringList keyLines = KeyPreamble::lines(key.remark, {});
        if (!key.name.trimmed().isEmpty())
            keyLines.append(nameLine(key.name.trimmed()));
        QString refusal;
        for (int c = 0; c < key.captures.size(); ++c) {
            const IrResult<ProntoCode::Written> code = ProntoCode::write(key.captures.at(c), c == 1);
            if (!code.isOk()) {
                refusal = code.error();
                break;
            }
            keyLines += KeyPreamble::lines({}, code.value().note);
            keyLines.append(code.value().text);
        }
        if (key.captures.isEmpty())
            refusal = QStringLiteral("it holds no signal");
        if (!refusal.isEmpty()) {
            output.refused.append(KeyProblem::of(key, refusal));
            continue;
        }
        if (!lines.isEmpty())
            lines.append(QString());
        lines += keyLines;
        ++output.written;
    }
    output.bytes = (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    return output;
}

bool ProntoFormat::looksLike(const QByteArray &bytes)
{
    const TextLines text(bytes);
    for (const TextLines::Line &line : text.lines()) {
        const QStringList words = TextLines::words(line.text);
        const qsizetype start = codeStart(words);
        if (start >= 0 && words.size() - start >= 4)
            return true;
    }
    return false;
}
