#pragma once

#include "core/formats/CodedKey.h"
#include "core/signal/IrResult.h"

#include <QByteArray>
#include <QList>
#include <QString>

// LIRC "lircd.conf" files with raw codes: "begin remote" ... "end remote"
// blocks (several may share a file), each with a name, flags RAW_CODES, a
// frequency (38,000 Hz when none is given, 0 for none) and a gap, and its
// keys between "begin raw_codes" and "end raw_codes": "name KEY" followed by
// durations in microseconds, first a pulse, ending on a pulse. Lines that
// start with '#' are comments. Remotes that describe their keys by protocol
// ("begin codes") are read as far as telling that their keys are not raw.
//
// Written: one remote named after the document for each run of keys with the
// same carrier (name, name_2, ...), its gap the longest lead-out of its keys.
class LircFormat final
{
public:
    static constexpr int DefaultFrequencyHz = 38000;

    [[nodiscard]] static IrResult<CodeFile> read(const QByteArray &bytes);
    [[nodiscard]] static CodeFileOutput write(const QList<CodedKey> &keys, const QString &remoteName);
    // Whether the first line that is not blank or a comment opens a remote.
    [[nodiscard]] static bool looksLike(const QByteArray &bytes);
};
