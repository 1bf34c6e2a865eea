#pragma once

#include <QByteArray>

class CodeTable;

// One slot of the compiled image from the "IR Data" field of a row: the first
// 512 bytes; a shorter field is completed with 0xFF (erased EEPROM), so an
// empty field gives 512 bytes of 0xFF. Compile and Download build slots so.
[[nodiscard]] QByteArray slotFromField(const QByteArray &field);

// Stores one slot of an image into the current row and posts it (the after-
// post hook derives the row as for any post): byte 255 is set to zero to end
// the name, "Function" gets the name at offset 240 read in the table's name
// encoding, and "IR Data" the 512 bytes. Import and Upload store slots so. A slot of another size is first
// brought to 512 bytes as slotFromField() does.
void storeSlot(CodeTable &table, const QByteArray &slot);
