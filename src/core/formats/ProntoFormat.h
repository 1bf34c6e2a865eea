#pragma once

#include "core/formats/CodedKey.h"
#include "core/signal/IrResult.h"

#include <QByteArray>
#include <QList>

// Pronto Hex code lists: plain text, one code per key with the key's name on
// the line before it (or before the code on the same line, "Power: 0000 ...").
// A code may run over several lines. Lines starting with "# " are comments:
// they make the next key's remark, or carry a timing note. Of the text lines
// before a code, the last one names it.
class ProntoFormat final
{
public:
    // A file that is not a code list, or a malformed one (a word that is not
    // four hex digits, more or fewer words than the pair counts call for),
    // is refused with its line number.
    [[nodiscard]] static IrResult<CodeFile> read(const QByteArray &bytes);
    [[nodiscard]] static CodeFileOutput write(const QList<CodedKey> &keys);
    // Whether the text holds a line that opens a Pronto code.
    [[nodiscard]] static bool looksLike(const QByteArray &bytes);
};
