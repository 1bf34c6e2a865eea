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
// between "Rolling" and "Auto Clear". The main window owns the zoom, clear
// and show-time controls and drives the traces through traces() and
// drawWave(); the view only shows the result.
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

    // Ticks the clicked mode item and asks for a redraw without rolling.
    void chooseMode(QAction *item);

signals:
    // The main window answers with drawWave(false).
    void redrawRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void refresh();
    void updateScrollRange();

    WaveTraces m_traces;
    std::optional<WaveTraces> m_tracesBeforePreview;
    QMenu *m_contextMenu;
    QActionGroup *m_modeGroup;
    QAction *m_rollingItem;
    QAction *m_autoClearItem;
};
