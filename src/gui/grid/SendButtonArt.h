#pragma once

#include <QImage>

// The send button drawn at the left of every grid row: a grey raised button
// with a pulse-train glyph, white when idle and yellow on the focused cell.
namespace SendButtonArt {

inline constexpr int Width = 22;
inline constexpr int Height = 16;

enum class Look { Idle, Current };

// Drawn once on first use and kept for the life of the program.
[[nodiscard]] const QImage &image(Look look);

} // namespace SendButtonArt
