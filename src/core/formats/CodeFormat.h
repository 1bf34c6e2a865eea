#pragma once

#include "core/formats/CodedKey.h"
#include "core/signal/IrResult.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The code formats ZOQ reads and writes, and the one place that picks the
// reader or writer of each. Readers and writers are pure functions over
// bytes (no files): fuzzing and the command line call them directly.
enum class CodeFormat
{
    Pronto,
    Flipper,
    Lirc,
    Mode2,
    Csv,
};

struct CodeFormatInfo
{
    CodeFormat format = CodeFormat::Pronto;
    QLatin1StringView name; // "pronto": the command line's --format
    QLatin1StringView title; // "Pronto Hex": dialogs and messages
    QLatin1StringView extension; // ".txt": what export writes
};

[[nodiscard]] const CodeFormatInfo &codeFormatInfo(CodeFormat format);
[[nodiscard]] QList<CodeFormat> allCodeFormats();
// By name ("pronto", "flipper", "lirc", "mode2", "csv"), in any case.
[[nodiscard]] std::optional<CodeFormat> codeFormatFromName(QStringView name);
// By the extension of a file name (".lircd.conf" and ".conf" are LIRC).
[[nodiscard]] std::optional<CodeFormat> codeFormatForFileName(const QString &fileName);
// The format the content is in: a Flipper file type line, a LIRC remote, mode2
// pulse lines, a CSV header, Pronto code words (checked in that order).
[[nodiscard]] std::optional<CodeFormat> recogniseCodeFormat(const QByteArray &bytes);

// File dialog filters ("description|pattern|..."): every format first for
// opening, one per format for saving.
[[nodiscard]] QString codeFormatOpenFilter();
[[nodiscard]] QString codeFormatSaveFilter();

struct CodeWriteOptions
{
    // The LIRC remote's name.
    QString remoteName;
};

// Refused with the line number and reason when the bytes are not a file of
// the format, or a malformed one.
[[nodiscard]] IrResult<CodeFile> readCodes(CodeFormat format, const QByteArray &bytes);
[[nodiscard]] CodeFileOutput writeCodes(CodeFormat format, const QList<CodedKey> &keys,
                                        const CodeWriteOptions &options = {});
