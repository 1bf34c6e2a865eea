#pragma once

#include "core/signal/IrBlock.h"
#include "core/signal/IrCode.h"
#include "core/signal/IrResult.h"

#include <QString>

class CodeTable;

// A key made from protocol parameters and written into a row of the table,
// in place of a learned one. The row keeps its key name: the name goes into
// the generated block's name field.
namespace CodeFromProtocol {

// Whether row (from 1) holds a learned signal: its block carries the valid mark.
[[nodiscard]] bool rowHoldsSignal(const CodeTable &table, int row);

// The block of code with name in its name field, encoded as Rename encodes
// it for the current row (the row's own name bytes are kept when name reads
// as them). Refused with the encoder's message for a code that cannot be
// made, or with the refusal of a name the encoding cannot hold.
[[nodiscard]] IrResult<IrBlock> blockFor(const CodeTable &table, const IrCode &code, const QString &name);

// Stores block as "IR Data" of the current row and posts the row.
void storeInCurrentRow(CodeTable &table, const IrBlock &block);

} // namespace CodeFromProtocol
