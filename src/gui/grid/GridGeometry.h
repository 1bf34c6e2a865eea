#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QFontMetrics;

// Pixel arithmetic of the code grid's mouse handling, kept apart from the
// widget. X is in the grid's client coordinates: the indicator column and its
// line take pixels 0..11, data column 0 begins at pixel 12.
namespace GridGeometry {

inline constexpr int IndicatorWidth = 12;
// The send strip is the first 21 pixels of column 0: 12 < X <= 33.
inline constexpr int SendStripEnd = 33;
// Width of the "ID" column once a document is open.
inline constexpr int IdColumnWidth = 50;

enum class PressTarget { None, SendStrip, IdCell };

// The name of the column whose span holds x, counting column widths alone
// from pixel 12 (no grid lines, no horizontal scroll offset); the first and
// last pixel of each span belong to no column. Empty text when none.
[[nodiscard]] QString columnAtX(int x, const QList<int> &widths, const QStringList &names);

// What a single left press at x means: the send strip, the rest of the
// "ID" cell (up to 12 + width of column 0), or nothing.
[[nodiscard]] PressTarget pressTargetAtX(int x, int idColumnWidth);

// Default width, in characters, of a field's column; fields not known by
// name take the width of a blob placeholder.
[[nodiscard]] int displayWidthChars(const QString &fieldName);

// The part of text that a cell width pixels wide shows: the whole text when
// it fits, else its start with "…". Only the first width + 1 characters are
// looked at (a visible character is at least a pixel wide), so laying out a huge
// text costs no more than a short one.
[[nodiscard]] QString cellText(const QString &text, const QFontMetrics &metrics, int width);

} // namespace GridGeometry
