#pragma once

#include "core/signal/IrBlock.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class CodeTable;

// The code formats (Pronto Hex, Flipper .ir, LIRC, mode2, CSV) as the export
// and import commands reach them. The commands do the rest: the document,
// the rows, the overwrite rule, writing the file and saving.
class CodeFormats
{
public:
    // One key read from a file.
    struct Code
    {
        QString name;
        QString remark;
        IrBlock block;
    };

    virtual ~CodeFormats() = default;

    // The names --format takes: "pronto", "flipper", "lirc", "mode2", "csv".
    [[nodiscard]] static QStringList names();

    // The content of a file of format holding the keys of rows (from 1, in
    // order). Throws ZoqError when a key cannot be written in the format.
    [[nodiscard]] virtual QByteArray exportRows(const CodeTable &table, const QList<int> &rows,
                                                const QString &format) const = 0;
    // The keys of content; an empty format: recognised from the content.
    // Throws ZoqError (with the line and the reason) when content is not of
    // the format or a key cannot be made into a block.
    [[nodiscard]] virtual QList<Code> importCodes(const QByteArray &content, const QString &format) const = 0;
};

// The formats of this build.
[[nodiscard]] std::unique_ptr<CodeFormats> makeCodeFormats();
