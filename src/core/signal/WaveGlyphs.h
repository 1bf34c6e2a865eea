#pragma once

#include <QChar>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QString>

// The waveform's font ("MS Serif" at 8 points, or the system's serif face),
// measured as on a 96 dpi screen, where 8 points make the 11-pixel cells the
// labels were laid out for. Each character is rendered once into a cell one
// advance wide, black and opaque on the background.
class WaveGlyphs final
{
public:
    WaveGlyphs();

    [[nodiscard]] const QFont &font() const { return m_font; }
    [[nodiscard]] int height() const { return m_height; }
    [[nodiscard]] int ascent() const { return m_ascent; }
    [[nodiscard]] int textWidth(const QString &text);
    [[nodiscard]] const QImage &cell(QChar c);

    // An RGB32 picture with the dots per metre of a 96 dpi screen.
    [[nodiscard]] static QImage screenImage(int width, int height);

private:
    QFont m_font;
    int m_height = 0;
    int m_ascent = 0;
    QHash<QChar, QImage> m_cells;
};
