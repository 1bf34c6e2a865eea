#pragma once

#include "core/signal/IrCode.h"
#include "core/signal/IrTiming.h"

#include <QList>
#include <QString>

#include <optional>

// One key as the code formats carry it: a name, a remark, and its signal as
// the timing model (one capture, or two for an RC5/RC6 block), as protocol
// parameters, or both (a CSV row). Read from a file, line is where the key
// starts; taken from the code table, row is the row it came from.
struct CodedKey
{
    QString name;
    QString remark;
    QList<IrTiming> captures;
    std::optional<IrCode> code;
    int line = 0;
    int row = 0;
};

// A key that could not be read into a block or written into a file, and why.
struct KeyProblem
{
    int line = 0;
    int row = 0;
    QString name;
    QString reason;

    // "line 12 'Power': reason", "row 5 'Power': reason" (no name: no quotes).
    [[nodiscard]] QString text() const;

    [[nodiscard]] static KeyProblem of(const CodedKey &key, const QString &reason)
    {
        return {key.line, key.row, key.name, reason};
    }
};

// What a reader finds in a file: the keys that can go into blocks, and those
// that cannot (a protocol ZOQ does not build, a carrier the module cannot
// make...), in file order.
struct CodeFile
{
    QList<CodedKey> keys;
    QList<KeyProblem> refused;
};

// What a writer makes: the file's bytes and the keys it had to leave out.
struct CodeFileOutput
{
    QByteArray bytes;
    QList<KeyProblem> refused;
    int written = 0;
};
