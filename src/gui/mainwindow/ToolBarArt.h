#pragma once

#include <QIcon>

// The program's own pictures for the tool bar and the waveform buttons,
// drawn at start-up.
namespace ToolBarArt {

enum class Picture { New, Open, Save, Compile, Upload, Download, About, ZoomIn, NormalSize, ZoomOut, ClearWave, AppIcon };

[[nodiscard]] QIcon icon(Picture picture);

} // namespace ToolBarArt
