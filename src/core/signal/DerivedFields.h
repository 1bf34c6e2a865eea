#pragma once

#include "core/signal/NameEncoding.h"

#include <QByteArray>
#include <QString>

// The three text fields of a row that follow from its block after every post.
struct DerivedFields
{
    QString format;   // "Normal", "RC5/RC6", or empty for an empty block
    QString carry;    // carrier frequency in Hz as decimal text, "0", or empty
    QString function; // the block's name, read in the name encoding
};

// The fields of a row whose "IR Data" is field. Only its first 512 bytes
// count. A shorter field (null included) reads as padded with 0xFF for the
// format and the carrier, as Compile and Download see it, so it counts as an
// empty slot; but its name ends where the field ends: bytes the field does
// not hold are no part of a name.
[[nodiscard]] DerivedFields deriveFields(const QByteArray &field, const NameEncoding &encoding);
