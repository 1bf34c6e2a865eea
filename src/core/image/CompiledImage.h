#pragma once

#include <QByteArray>
#include <QString>

class CodeTable;

// Compile and import walk the 512 slots from the first row, moving to the
// next row after each slot; on the last row the move stays, so a table with
// fewer rows repeats its last row and rows after the 512th are not visited.
// The after-scroll hook is detached and the bound views are suspended during
// the walk; afterwards the first row is made current with the hook attached
// again. A table without rows throws ZoqError.

// The image of the table: 512 slots of 512 bytes in row order.
[[nodiscard]] QByteArray compileImage(CodeTable &table);

// Writes the image of the table to path. The file is written whole or not at
// all: a target that cannot be created or written throws ZoqError with the
// file system's error and leaves no partial file.
void writeImageFile(CodeTable &table, const QString &path);

// Reads a compiled image before anything of the open document is replaced:
// the first 262,144 bytes of the file. An unreadable or shorter file throws
// ZoqError.
[[nodiscard]] QByteArray readImageFile(const QString &path);

// Stores slot i of image into row i and posts it (the after-post hook derives
// each row). An image shorter than 262,144 bytes throws ZoqError before any
// row changes.
void importImage(CodeTable &table, const QByteArray &image);
