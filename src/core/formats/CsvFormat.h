#pragma once

#include "core/formats/CodedKey.h"
#include "core/signal/IrResult.h"

#include <QByteArray>
#include <QList>

// Code tables for spreadsheets: comma-separated values (a semicolon or a tab
// where the header line uses one), quoted as RFC 4180 quotes them, UTF-8 with
// a byte-order mark. One row per key under the header
//   ID, Function, Remark, Format, Carry, Protocol, Address, Command, Toggle,
//   Pronto Hex, Pronto Hex 2, Timing, Timing 2
// Protocol, Address and Command are what the decoders recognise (numbers in
// 0x hex when written; decimal or 0x hex when read), Pronto Hex the learned
// capture, Pronto Hex 2 the second capture of an RC5/RC6 block, and Timing
// the items of a timing note when a capture needs one. Reading, columns are
// found by their header (in any case and order); ID, Format and Carry are
// not read. A cell that would start with =, +, - or @ is written after a
// quote mark (') so that a spreadsheet takes it as text; reading drops it.
class CsvFormat final
{
public:
    [[nodiscard]] static IrResult<CodeFile> read(const QByteArray &bytes);
    [[nodiscard]] static CodeFileOutput write(const QList<CodedKey> &keys);
    // Whether the first line is a header naming a "Pronto Hex" or "Protocol" column.
    [[nodiscard]] static bool looksLike(const QByteArray &bytes);
};
