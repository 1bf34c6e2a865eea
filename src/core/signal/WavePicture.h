#pragma once

#include <QByteArray>
#include <QString>

class Prompt;
class WaveTraces;

// "Save picture...": what the two bands show, the whole signal and not only
// the part in view, as a PNG of the picture's own pixels or as an SVG that
// the same renderer draws in vector shapes.
namespace WavePicture {

inline constexpr char Filter[] = "*.png|*.png|*.svg|*.svg";

[[nodiscard]] QByteArray png(const WaveTraces &traces);
[[nodiscard]] QByteArray svg(WaveTraces &traces);

// The file name the dialog proposes: the key's name (characters that cannot
// stand in a file name replaced by "_"; "Wave" for a key without name) with
// ".png".
[[nodiscard]] QString proposedName(const QString &keyName);

// Asks for the file (a name without ".svg" is saved as PNG and gets ".png"),
// asks before replacing an existing file, and writes it. A cancelled dialog
// writes nothing; a failed write throws ZoqError.
void saveAs(Prompt &prompt, WaveTraces &traces, const QString &keyName);

} // namespace WavePicture
