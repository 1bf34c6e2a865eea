#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QIODevice;

// The IR data text format: one block as hexadecimal text. The writer puts 16
// lines of 32 "XX " fields, each line ended by CR LF (1568 bytes for a block);
// the reader takes bytes as one or two hex digits separated by any mix of
// spaces, commas, CR and LF, with or without "0x" prefixes, in either case.

// Largest IR data text file that is read at all; a block written with "0x"
// prefixes and commas takes some 3 KB, so anything near this is not IR data.
inline constexpr qint64 IrDataTextFileLimit = 1024 * 1024;

// Turns hexadecimal text into bytes. count receives the number of bytes
// found; only the first maxStored of them go into bytes. "0x" prefixes go
// first, wherever they stand; then spaces and control characters at both
// ends; a zero character ends the text. On a character the text cannot hold,
// returns false and puts "Invalid char 'c'" (c as the text holds it; a
// control character by its code, "Invalid char 0x0C") into errorMessage;
// bytes and count then hold what was read before it.
[[nodiscard]] bool parseHexBytes(const QString &text, int maxStored, QByteArray &bytes, int &count,
                                 QString *errorMessage);

// parseHexBytes for one block: bytes beyond the 512th are counted, not stored.
[[nodiscard]] bool parseHexText(const QString &text, QByteArray &bytes, int &count,
                                QString *errorMessage);

// The 16-line text of a block. Only the first 512 bytes of block512 count;
// the caller hands over a full block.
[[nodiscard]] QByteArray irDataText(const QByteArray &block512);

// Bytes as upper-case hex pairs separated by single spaces ("72 30 0A").
[[nodiscard]] QString hexBytesText(const QByteArray &bytes);

// The text of an IR data file: its lines (ended by CR LF, CR or LF) joined
// with CR LF, bytes read as Latin-1 after a UTF-8 byte-order mark at the
// start, which is skipped. Control bytes stay for the parser, which
// trims them at the ends, stops at a zero byte and names any other. A file
// larger than IrDataTextFileLimit is refused without being parsed: the
// result is empty and refusal receives the reason.
[[nodiscard]] std::optional<QString> irDataFileText(QIODevice &device, QString *refusal);
