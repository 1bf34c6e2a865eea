#pragma once

#include "modsim/IrCapture.h"
#include "modsim/IrKey.h"

// What the module sees of one key press: the protocol's frame followed by the
// part a held key sends again (NEC: the repeat code; the others: the frame).
// The toggle bit of RC5 and RC6 flips between two presses of the same key; the
// other protocols ignore it.
[[nodiscard]] IrCapture irKeyCapture(const IrKey &key, bool toggle);
