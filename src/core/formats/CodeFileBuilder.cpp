#include "core/formats/CodeFileBuilder.h"

namespace {

const QString NoFirstCapture = QStringLiteral("a second capture follows no key of one capture");

} // namespace

bool CodeFileBuilder::lastTakesSecondCapture() const
{
    if (!m_lastWasKey || m_file.keys.isEmpty())
        return false;
    const CodedKey &last = m_file.keys.last();
    return last.captures.size() == 1 && !last.code;
}

void CodeFileBuilder::add(CodedKey key, bool secondCapture)
{
    if (!secondCapture) {
        m_file.keys.append(std::move(key));
        m_lastWasKey = true;
        return;
    }
    if (!lastTakesSecondCapture() || key.captures.size() != 1) {
        refuse(key, NoFirstCapture, false);
        return;
    }
    m_file.keys.last().captures.append(key.captures.first());
    m_lastWasKey = false;
}

void CodeFileBuilder::refuse(const CodedKey &key, const QString &reason, bool secondCapture)
{
    if (secondCapture && lastTakesSecondCapture()) {
        const CodedKey first = m_file.keys.takeLast();
        m_file.refused.append(
            KeyProblem::of(first, QStringLiteral("its second capture (line %1): %2").arg(key.line).arg(reason)));
    } else {
        m_file.refused.append(KeyProblem::of(key, secondCapture ? NoFirstCapture : reason));
    }
    m_lastWasKey = false;
}
