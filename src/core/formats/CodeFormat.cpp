#include "core/formats/CodeFormat.h"

#include "core/common/FileNames.h"
#include "core/formats/CsvFormat.h"
#include "core/formats/FlipperFormat.h"
#include "core/formats/LircFormat.h"
#include "core/formats/Mode2Format.h"
#include "core/formats/ProntoFormat.h"

#include <QStringList>

#include <array>

namespace {

using L = QLatin1StringView;

constexpr std::array<CodeFormatInfo, 5> Formats{{
    {CodeFormat::Pronto, L("pronto"), L("Pronto Hex"), L(".txt")},
    {CodeFormat::Flipper, L("flipper"), L("Flipper IR"), L(".ir")},
    {CodeFormat::Lirc, L("lirc"), L("LIRC lircd.conf"), L(".conf")},
    {CodeFormat::Mode2, L("mode2"), L("LIRC mode2"), L(".mode2")},
    {CodeFormat::Csv, L("csv"), L("CSV"), L(".csv")},
}};

} // namespace

const CodeFormatInfo &codeFormatInfo(CodeFormat format)
{
    return Formats[size_t(format)];
}

QList<CodeFormat> allCodeFormats()
{
    QList<CodeFormat> result;
    for (const CodeFormatInfo &info : Formats)
        result.append(info.format);
    return result;
}

std::optional<CodeFormat> codeFormatFromName(QStringView name)
{
    for (const CodeFormatInfo &info : Formats) {
        if (name.compare(info.name, Qt::CaseInsensitive) == 0)
            return info.format;
    }
    return std::nullopt;
}

std::optional<CodeFormat> codeFormatForFileName(const QString &fileName)
{
    const QString extension = fileExtension(fileName);
    for (const CodeFormatInfo &info : Formats) {
        if (extension.compare(info.extension, Qt::CaseInsensitive) == 0)
            return info.format;
    }
    return std::nullopt;
}

std::optional<CodeFormat> recogniseCodeFormat(const QByteArray &bytes)
{
    if (FlipperFormat::looksLike(bytes))
        return CodeFormat::Flipper;
    if (LircFormat::looksLike(bytes))
        return CodeFormat::Lirc;
    if (Mode2Format::looksLike(bytes))
        return CodeFormat::Mode2;
    if (CsvFormat::looksLike(bytes))
        return CodeFormat::Csv;
    if (ProntoFormat::looksLike(bytes))
        return CodeFormat::Pronto;
    return std::nullopt;
}

QString codeFormatOpenFilter()
{
    QStringList patterns;
    QStringList entries;
    for (const CodeFormatInfo &info : Formats) {
        patterns.append(QLatin1Char('*') + info.extension);
        entries << info.title << QLatin1Char('*') + info.extension;
    }
    return (QStringList{QStringLiteral("Code files"), patterns.join(QLatin1Char(';'))} + entries
            + QStringList{QStringLiteral("All files"), QStringLiteral("*")})
        .join(QLatin1Char('|'));
}

QString codeFormatSaveFilter()
{
    QStringList entries;
    for (const CodeFormatInfo &info : Formats)
        entries << info.title << QLatin1Char('*') + info.extension;
    return entries.join(QLatin1Char('|'));
}

IrResult<CodeFile> readCodes(CodeFormat format, const QByteArray &bytes)
{
    switch (format) {
    case CodeFormat::Pronto:
        return ProntoFormat::read(bytes);
    case CodeFormat::Flipper:
        return FlipperFormat::read(bytes);
    case CodeFormat::Lirc:
        return LircFormat::read(bytes);
    case CodeFormat::Mode2:
        return Mode2Format::read(bytes);
    case CodeFormat::Csv:
        return CsvFormat::read(bytes);
    }
    return IrResult<CodeFile>::refused(QStringLiteral("unknown code format"));
}

CodeFileOutput writeCodes(CodeFormat format, const QList<CodedKey> &keys, const CodeWriteOptions &options)
{
    switch (format) {
    case CodeFormat::Pronto:
        return ProntoFormat::write(keys);
    case CodeFormat::Flipper:
        return FlipperFormat::write(keys);
    case CodeFormat::Lirc:
        return LircFormat::write(keys, options.remoteName);
    case CodeFormat::Mode2:
        return Mode2Format::write(keys);
    case CodeFormat::Csv:
        return CsvFormat::write(keys);
    }
    return {};
}
