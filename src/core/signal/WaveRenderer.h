#pragma once

#include "core/signal/IrBlock.h"

#include <QChar>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QLocale>
#include <QRgb>
#include <QString>

// Draws one trace of a block into m_strip, the 20480 x 50 off-screen strip:
// gaps low at y = 30, carrier bursts high at y = 5, optional time labels, and
// a time axis in milliseconds along the bottom. Lines are drawn pixel by pixel
// the way the strip always drew them: a line covers its start point but not
// its end point, so joined segments never overlap and nothing is smoothed.
class WaveRenderer final
{
public:
    static constexpr int StripWidth = 20480;
    static constexpr int StripHeight = 50;

    static constexpr QRgb Background = qRgb(166, 202, 240);
    static constexpr QRgb Red = qRgb(255, 0, 0);
    static constexpr QRgb Grey = qRgb(128, 128, 128);
    static constexpr QRgb Blue = qRgb(0, 0, 255);
    static constexpr QRgb Yellow = qRgb(255, 255, 0);
    static constexpr QRgb TextColor = qRgb(0, 0, 0);

    static constexpr int HighY = 5;
    static constexpr int LowY = 30;
    static constexpr int BurstLabelY = 8;
    static constexpr int GapLabelY = 15;
    static constexpr int AxisY = 35;
    static constexpr int TickTopY = 32;
    static constexpr int AxisLabelY = 37;
    static constexpr int TickStep = 50;

    // The locale gives the decimal separator of the axis labels.
    explicit WaveRenderer(const QLocale &locale = QLocale::system());

    // Draws block into the strip with the given pen (red or grey; a red pen
    // turns blue after the signal, for its repeated part) and returns
    // m_ends, the right end of the content: 50 pixels past the signal, but
    // scrollBoxWidth + 10 when that is short of the scroll box, and at most
    // the strip width.
    [[nodiscard]] int draw(const IrBlock &block, int waveScale, QRgb pen, bool showTime,
                           int scrollBoxWidth);
    [[nodiscard]] const QImage &strip() const { return m_strip; }

    // Whether a segment of micros microseconds drawn pixels wide gets its label.
    [[nodiscard]] static bool timeLabelFits(qint64 micros, qint64 pixels, bool showTime);
    [[nodiscard]] static qint64 gapMicros(quint16 gap);
    // A capture without carrier has 8 us bursts whatever the entry holds.
    [[nodiscard]] static qint64 burstMicros(quint16 burst, uchar carrierPeriod);
    [[nodiscard]] static qint64 pixelsFor(qint64 micros, int waveScale);
    // Text of the axis tick at pixel p: milliseconds in the shortest general
    // form followed by "ms" ("3ms", "0,25ms" where the decimal mark is a comma).
    [[nodiscard]] static QString axisLabel(int p, int waveScale, const QLocale &locale);

private:
    struct Pen
    {
        int x = 0;
        int y = 0;
        QRgb color = Red;
    };

    void drawSignal(const IrBlock &block, int waveScale, bool showTime);
    void drawPass(const IrBlock &block, int first, int end, int waveScale, bool showTime);
    void drawSymbol(const IrBlock &block, int symbol, int waveScale, bool showTime);
    void drawSegment(qint64 micros, int labelY, int level, int nextLevel, int waveScale, bool showTime);
    void drawAxis(int waveScale);
    void renderAxis(int waveScale);

    void moveTo(int x, int y);
    void lineTo(int x, int y);
    static void plotLine(QImage &image, int x0, int y0, int x1, int y1, QRgb color);
    static void fillRect(QImage &image, int x, int y, int width, int height, QRgb color);
    void writeText(QImage &image, int x, int y, const QString &text);
    [[nodiscard]] const QImage &glyph(QChar c);

    QLocale m_locale;
    QFont m_font;
    int m_textHeight = 0;
    int m_textAscent = 0;
    // Each character rendered once, opaque on the background, one advance wide.
    QHash<QChar, QImage> m_glyphs;

    QImage m_strip;
    Pen m_pen;
    int m_x = 0;

    // Rows AxisTop..49 of the strip as drawn for m_axisScale, so a redraw at
    // the same scale copies them instead of writing some 400 labels again.
    QImage m_axis;
    int m_axisScale = 0;
};
