#pragma once

// A code table has one row per EEPROM slot of the module. Bulk operations
// over the slots are bounded by this fixed count, not by the table's rows.
inline constexpr int SlotCount = 512;
