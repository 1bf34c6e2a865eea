#pragma once

#include "core/formats/CodeFormat.h"
#include "core/formats/CodedKey.h"
#include "core/signal/IrBlock.h"
#include "core/signal/IrResult.h"

#include <QList>
#include <QString>

#include <optional>

class CodeTable;

// Codes from a file into the code table, in three steps that the window and
// the command line share:
//   readFile  the file, in the format given or recognised from its content;
//             a file that is not of the format changes nothing
//   plan      a block for every key and the row it goes into, and the keys
//             that cannot go in, with their line numbers and reasons
//   apply     writes the planned rows (one post each, so every row is derived)
// Between plan and apply the caller asks before overwriting the rows that
// hold a learned signal (Plan::rowsHoldingSignal).
class CodeImport final
{
public:
    static constexpr qint64 MaxFileBytes = 16 * 1024 * 1024;
    // The size of the "Remark" column.
    static constexpr int RemarkLength = 120;

    struct Source
    {
        CodeFormat format = CodeFormat::Pronto;
        CodeFile file;
    };

    struct Placement
    {
        int row = 0;
        int line = 0;
        QString function; // the name as stored, read in the table's name encoding
        QString remark;
        IrBlock block; // its name bytes set
        QString nameNote; // why the name differs from the file's, or empty
    };

    struct Plan
    {
        QList<Placement> placements;
        // Keys that cannot be represented in a block, or found no row.
        QList<KeyProblem> refused;

        // Rows of the placements that hold a learned signal now.
        [[nodiscard]] QList<int> rowsHoldingSignal(const CodeTable &table) const;
    };

    // The file at path; refused with one message saying why nothing can be
    // imported (unreadable, too large, not a code file, malformed with its
    // line number). A mode2 key is named after the file.
    [[nodiscard]] static IrResult<Source> readFile(const QString &path, std::optional<CodeFormat> format = {});
    // The same for bytes already read; fileName names them in messages and
    // picks the format by its extension when the content does not tell.
    [[nodiscard]] static IrResult<Source> readBytes(const QByteArray &bytes, const QString &fileName,
                                                    std::optional<CodeFormat> format = {});

    // The block of a key: its captures through the block writer, or its code
    // through the encoders. A key with both (a CSV row) takes its captures
    // when they decode to its code, else the code (its parameters were edited).
    [[nodiscard]] static IrResult<IrBlock> blockFor(const CodedKey &key);

    // Keys into rows (numbers from 1): into rows when any are given (in table
    // order), else into consecutive rows from startRow to the last.
    [[nodiscard]] static Plan plan(const CodeTable &table, const CodeFile &file, const QList<int> &rows, int startRow);
    // Writes the placements; the first row written ends current. Hooks other
    // than after-post are detached meanwhile.
    static void apply(CodeTable &table, const Plan &plan);

    // "N of the rows to be written hold a learned signal (rows ...). Overwrite them?"
    [[nodiscard]] static QString overwriteQuestion(const QList<int> &rows);
    // What went where and what did not go in, at most maxLines lines of each.
    [[nodiscard]] static QString report(const Plan &plan, const QString &fileName, int maxLines = 30);
};
