#pragma once

#include <QIcon>
#include <QImage>

class QPaintDevice;

// The program's own pictures for the tool bar and the waveform buttons,
// drawn at start-up.
namespace ToolBarArt {

enum class Picture { New, Open, Save, Compile, Upload, Download, About, ZoomIn, NormalSize, ZoomOut, ClearWave, AppIcon };

[[nodiscard]] QIcon icon(Picture picture);
// The picture drawn size x size pixels on a transparent ground.
[[nodiscard]] QImage image(Picture picture, int size);
// Draws the picture onto device, scaled from its 32 x 32 design to size.
void draw(QPaintDevice &device, Picture picture, int size);

} // namespace ToolBarArt
