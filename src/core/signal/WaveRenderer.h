#pragma once

#include "core/signal/WaveGlyphs.h"

#include <QLocale>
#include <QPoint>
#include <QRgb>
#include <QString>

class WaveCanvas;
class WaveGeometry;

// Draws one trace as a band 50 pixels high: gaps low at y = 30, carrier
// bursts high at y = 5, optional time labels, a time axis in milliseconds
// along the bottom, and the decoded key after the signal. A line covers its
// start point but not its end point, so joined segments never overlap. The
// same drawing goes to a picture of pixels or to a vector drawing (WaveCanvas).
class WaveRenderer final
{
public:
    // The widest a band is ever drawn; a longer signal is cut here.
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

    // The right end of a trace's picture: 50 pixels past the signal, but
    // scrollBoxWidth + 10 when that is short of the scroll box (and for a
    // block without signal), and at most the strip width. A caption that
    // fits before the strip's end widens it to hold the caption.
    [[nodiscard]] int traceEnd(const WaveGeometry &geometry, int scrollBoxWidth, const QString &caption);
    // Draws the trace of geometry over the canvas's width with the given pen
    // (red or grey; a red pen turns blue after the signal, for its repeated
    // part). caption (the decoded key) goes after the signal when it fits.
    void paint(WaveCanvas &canvas, const WaveGeometry &geometry, QRgb pen, bool showTime, const QString &caption);
    [[nodiscard]] WaveGlyphs &glyphs() { return m_glyphs; }

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
    void paintSignal(const WaveGeometry &geometry, QRgb pen, bool showTime);
    void paintAxis(int waveScale);
    void paintCaption(const WaveGeometry &geometry, const QString &caption);
    [[nodiscard]] bool captionFits(const WaveGeometry &geometry, const QString &caption);
    void moveTo(int x, int y);
    void lineTo(int x, int y);

    QLocale m_locale;
    WaveGlyphs m_glyphs;
    // Set while paint() runs.
    WaveCanvas *m_canvas = nullptr;
    QPoint m_pen;
    QRgb m_penColor = Red;
};
