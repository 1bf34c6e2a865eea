#pragma once

#include "core/formats/CodeFormat.h"
#include "core/formats/CodedKey.h"

#include <QList>
#include <QString>

class CodeTable;
class IrBlock;

// Rows of the code table out to a code file. Each row that holds a signal
// becomes a key: its name, its remark, its captures and, when the decoders
// recognise it, its protocol code. The file is written whole through
// SafeFile or not at all (a failure throws ZoqError).
class CodeExport final
{
public:
    struct Report
    {
        CodeFormat format = CodeFormat::Pronto;
        QString path;
        int written = 0;
        // Rows without a signal, and keys the format could not take.
        QList<KeyProblem> leftOut;

        // "37 keys written to "x.ir" (Flipper IR)." and what was left out,
        // at most maxLines lines of it.
        [[nodiscard]] QString text(int maxLines = 30) const;
    };

    // Rows (from 1) whose block holds a signal, in table order.
    [[nodiscard]] static QList<int> rowsHoldingSignal(const CodeTable &table);
    // The key of a block, without name or remark: its captures and, when the
    // decoders recognise it, its protocol code.
    [[nodiscard]] static CodedKey keyOf(const IrBlock &block);
    // The keys of rows (from 1), in table order; rows without a signal go to
    // leftOut.
    [[nodiscard]] static QList<CodedKey> keysOf(const CodeTable &table, const QList<int> &rows,
                                                QList<KeyProblem> *leftOut);
    // Writes the keys of rows to path. Nothing is written when no key can be.
    [[nodiscard]] static Report exportToFile(const CodeTable &table, const QList<int> &rows, CodeFormat format,
                                             const QString &path, const CodeWriteOptions &options = {});
};
