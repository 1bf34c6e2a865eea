#pragma once

#include <QByteArray>
#include <QString>

// What the IR data editor needs of the window that opens it: the current
// row of the code table is the one whose block is being edited.
class IrDataHost
{
public:
    virtual ~IrDataHost() = default;

    // "Function" of the current row, for the name proposed when saving.
    [[nodiscard]] virtual QString currentFunction() const = 0;
    // Writes a 512-byte block into the current row's "IR Data", posts the row
    // and sets the document modified flag. Throws ZoqError when the table
    // refuses it.
    virtual void writeIrData(const QByteArray &block) = 0;
};
