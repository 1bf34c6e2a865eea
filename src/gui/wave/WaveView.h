#pragma once

#include "core/signal/WaveTraces.h"

#include <QAbstractScrollArea>
#include <QByteArray>

#include <optional>

class QAction;
class QActionGroup;
class QMenu;

// m_waveView with m_image inside: shows the waveform picture at its current
// width and scrolls it horizontally. Its context menu m_contextMenu switches
// between "Rolling" and "Auto Clear" and offers "Save picture...". The main
// window owns the zoom, clear and show-time controls and drives the traces
// through traces() and drawWave(); the view shows the result.
//
// Gestures on the picture: the wheel scrolls, Ctrl+wheel zooms through the
// zoom buttons' steps keeping the time under the pointer in place, a drag
// with the left button moves the picture, Shift+drag measures the time and
// the bursts between two points, and hovering tells the gap or burst under
// the pointer.
class WaveView final : public QAbstractScrollArea
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WaveView)

public:
    explicit WaveView(QWidget *parent = nullptr);
    ~WaveView() override;

    [[nodiscard]] WaveTraces &traces() { return m_traces; }
    [[nodiscard]] const WaveTraces &traces() const { return m_traces; }

    // drawWave(Roll) with the current row's "IR Data", then shows the result.
    void drawWave(bool roll, bool tableHasRows, const QByteArray &currentField);
    // clearWave(), then shows the result.
    void clearWave();
    void scrollToStart();
    // Shows block in the upper band, without rolling, until endPreview()
    // puts back both traces as they were before the first showPreview().
    void showPreview(const QByteArray &block);
    void endPreview();
    // The width a short signal overfills by 10 pixels.
    [[nodiscard]] int scrollBoxWidth() const { return width(); }

    [[nodiscard]] QMenu *contextMenu() const { return m_contextMenu; }
    [[nodiscard]] QAction *rollingItem() const { return m_rollingItem; }
    [[nodiscard]] QAction *autoClearItem() const { return m_autoClearItem; }
    [[nodiscard]] QAction *savePictureItem() const { return m_savePictureItem; }

    // Ticks the clicked mode item and asks for a redraw without rolling.
    void chooseMode(QAction *item);
    // Zoom steps (positive: in) about viewport point at, which keeps its time.
    void zoomAt(int steps, QPoint at);
    // The text of the measuring band, empty when none is shown.
    [[nodiscard]] QString measureText() const;

signals:
    // The main window answers with drawWave(false).
    void redrawRequested();
    // "Save picture..." was chosen; the main window asks for the file.
    void savePictureRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    enum class Gesture { None, Drag, Measure };

    void refresh();
    void updateScrollRange();
    [[nodiscard]] int offset() const;
    // The band under viewport row y (the other one when it has no signal).
    [[nodiscard]] int bandAt(int y) const;
    [[nodiscard]] bool onPicture(QPoint at) const;
    void showSegmentTip(const QPoint &at, const QPoint &globalAt);
    void paintMeasure(QPainter &painter);

    WaveTraces m_traces;
    std::optional<WaveTraces> m_tracesBeforePreview;
    QMenu *m_contextMenu;
    QActionGroup *m_modeGroup;
    QAction *m_rollingItem;
    QAction *m_autoClearItem;
    QAction *m_savePictureItem = nullptr;

    Gesture m_gesture = Gesture::None;
    int m_dragStartX = 0;
    int m_dragStartOffset = 0;
    // Columns of the picture, and the band measured in; band -1 when no band is shown.
    int m_measureFrom = 0;
    int m_measureTo = 0;
    int m_measureBand = -1;
    // Wheel turns short of a notch, for fine-grained wheels.
    int m_zoomDelta = 0;
};
