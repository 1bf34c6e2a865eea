#pragma once

#include "irsignal/TIRDataBlock.h"

#include <QString>

// The three text fields of a row that follow from its block after every post.
struct DerivedFields
{
    QString format;   // "Normal", "RC5/RC6", or empty for an empty block
    QString carry;    // carrier frequency in Hz as decimal text, "0", or empty
    QString function; // the block's name
};

[[nodiscard]] DerivedFields deriveFields(const TIRDataBlock &block);
