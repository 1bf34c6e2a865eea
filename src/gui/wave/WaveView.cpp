#include "gui/wave/WaveView.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int WheelNotch = 120;
const QColor MeasureShade(255, 255, 255, 110);
const QColor MeasureEdge(0, 0, 0);
const QColor MeasureTextBox(255, 255, 225);

} // namespace

WaveView::WaveView(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_contextMenu(new QMenu(this))
    , m_modeGroup(new QActionGroup(this))
    , m_rollingItem(m_contextMenu->addAction(tr("Rolling")))
    , m_autoClearItem(m_contextMenu->addAction(tr("Auto Clear")))
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    horizontalScrollBar()->setTracking(true);
    viewport()->setBackgroundRole(QPalette::Window);

    for (QAction *item : {m_rollingItem, m_autoClearItem}) {
        item->setCheckable(true);
        m_modeGroup->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { chooseMode(item); });
    }
    m_autoClearItem->setChecked(true);
    m_contextMenu->addSeparator();
    m_savePictureItem = m_contextMenu->addAction(tr("Save picture..."));
    connect(m_savePictureItem, &QAction::triggered, this, &WaveView::savePictureRequested);
    updateScrollRange();
}

WaveView::~WaveView() = default;

void WaveView::drawWave(bool roll, bool tableHasRows, const QByteArray &currentField)
{
    m_traces.setScrollBoxWidth(width());
    m_traces.drawWave(roll, tableHasRows, currentField);
    refresh();
}

void WaveView::clearWave()
{
    m_traces.clearWave();
    refresh();
}

void WaveView::showPreview(const QByteArray &block)
{
    if (!m_tracesBeforePreview)
        m_tracesBeforePreview = m_traces;
    drawWave(false, true, block);
}

void WaveView::endPreview()
{
    if (!m_tracesBeforePreview)
        return;
    m_traces = *m_tracesBeforePreview;
    m_tracesBeforePreview.reset();
    refresh();
}

void WaveView::scrollToStart()
{
    horizontalScrollBar()->setValue(0);
}

void WaveView::chooseMode(QAction *item)
{
    item->setChecked(true);
    m_traces.setRolling(item == m_rollingItem);
    emit redrawRequested();
}

void WaveView::zoomAt(int steps, QPoint at)
{
    const int band = bandAt(at.y());
    const WaveGeometry before = m_traces.geometry(band);
    const int start = offset();
    const int scale = m_traces.waveScale();
    for (int i = 0; i < std::abs(steps); ++i)
        steps > 0 ? m_traces.zoomIn() : m_traces.zoomOut();
    if (m_traces.waveScale() == scale)
        return;
    emit redrawRequested();
    horizontalScrollBar()->setValue(WaveGeometry::anchoredOffset(before, m_traces.geometry(band), start, at.x()));
}

QString WaveView::measureText() const
{
    if (m_measureBand < 0)
        return {};
    return m_traces.geometry(m_measureBand).measureText(m_measureFrom, m_measureTo);
}

void WaveView::refresh()
{
    // A measurement belongs to the picture it was taken on.
    m_measureBand = -1;
    updateScrollRange();
    viewport()->update();
}

void WaveView::updateScrollRange()
{
    QScrollBar *bar = horizontalScrollBar();
    const int page = viewport()->width();
    bar->setPageStep(page);
    bar->setSingleStep(20);
    bar->setRange(0, std::max(0, m_traces.imageWidth() - page));
}

int WaveView::offset() const
{
    return horizontalScrollBar()->value();
}

int WaveView::bandAt(int y) const
{
    const int band = y < WaveTraces::BandHeight ? 0 : 1;
    if (!m_traces.geometry(band).hasSignal() && m_traces.geometry(1 - band).hasSignal())
        return 1 - band;
    return band;
}

bool WaveView::onPicture(QPoint at) const
{
    const QRect picture(-offset(), 0, m_traces.imageWidth(), WaveTraces::ImageHeight);
    return viewport()->rect().contains(at) && picture.contains(at);
}

void WaveView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect shown(-offset(), 0, m_traces.imageWidth(), WaveTraces::ImageHeight);
    const QRect target = event->rect() & shown;
    if (!target.isEmpty())
        painter.drawImage(target, m_traces.image(), target.translated(offset(), 0));
    paintMeasure(painter);
}

// The measured columns shaded in their band, with the time and bursts
// beside them.
void WaveView::paintMeasure(QPainter &painter)
{
    if (m_measureBand < 0)
        return;
    const int left = std::min(m_measureFrom, m_measureTo) - offset();
    const int right = std::max(m_measureFrom, m_measureTo) - offset();
    const QRect band(left, WaveTraces::BandHeight * m_measureBand, right - left + 1, WaveTraces::BandHeight);
    if (!band.intersects(viewport()->rect()))
        return;
    painter.fillRect(band, MeasureShade);
    painter.setPen(MeasureEdge);
    painter.drawLine(band.topLeft(), band.bottomLeft());
    painter.drawLine(band.topRight(), band.bottomRight());

    const QString text = measureText();
    QRect box = painter.fontMetrics().boundingRect(text).adjusted(-3, -2, 3, 2);
    box.moveTop(band.top() + (band.height() - box.height()) / 2);
    box.moveLeft(band.right() + 4);
    if (box.right() >= viewport()->width())
        box.moveRight(band.left() - 4);
    box.moveLeft(std::max(box.left(), 0));
    painter.fillRect(box, MeasureTextBox);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.drawText(box, Qt::AlignCenter, text);
}

void WaveView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    m_traces.setScrollBoxWidth(width());
    updateScrollRange();
}

void WaveView::scrollContentsBy(int dx, int /*dy*/)
{
    viewport()->scroll(dx, 0);
}

void WaveView::contextMenuEvent(QContextMenuEvent *event)
{
    // m_contextMenu belongs to the picture, not to the empty box around it.
    if (onPicture(viewport()->mapFromGlobal(event->globalPos())))
        m_contextMenu->exec(event->globalPos());
}

bool WaveView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        showSegmentTip(help->pos(), help->globalPos());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void WaveView::showSegmentTip(const QPoint &at, const QPoint &globalAt)
{
    const int band = at.y() < WaveTraces::BandHeight ? 0 : 1;
    const WaveSegment *segment =
        onPicture(at) ? m_traces.geometry(band).segmentAt(at.x() + offset()) : nullptr;
    if (!segment) {
        QToolTip::hideText();
        return;
    }
    const QRect area(segment->x - offset(), WaveTraces::BandHeight * band, segment->right() - segment->x,
                     WaveTraces::BandHeight);
    QToolTip::showText(globalAt, WaveGeometry::segmentText(*segment), viewport(), area);
}

void WaveView::wheelEvent(QWheelEvent *event)
{
    const QPoint delta = event->angleDelta();
    const int turn = delta.y() != 0 ? delta.y() : delta.x();
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        m_zoomDelta += turn;
        const int steps = m_zoomDelta / WheelNotch;
        m_zoomDelta -= steps * WheelNotch;
        if (steps != 0)
            zoomAt(steps, event->position().toPoint());
    } else {
        QScrollBar *bar = horizontalScrollBar();
        bar->setValue(bar->value() - turn * bar->singleStep() * QApplication::wheelScrollLines() / WheelNotch);
    }
    event->accept();
}

void WaveView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    m_measureBand = -1;
    if (event->modifiers().testFlag(Qt::ShiftModifier) && onPicture(at)) {
        m_gesture = Gesture::Measure;
        m_measureBand = bandAt(at.y());
        m_measureFrom = m_measureTo = at.x() + offset();
    } else {
        m_gesture = Gesture::Drag;
        m_dragStartX = at.x();
        m_dragStartOffset = offset();
        viewport()->setCursor(Qt::ClosedHandCursor);
    }
    viewport()->update();
}

void WaveView::mouseMoveEvent(QMouseEvent *event)
{
    const int x = qRound(event->position().x());
    if (m_gesture == Gesture::Drag) {
        horizontalScrollBar()->setValue(m_dragStartOffset - (x - m_dragStartX));
    } else if (m_gesture == Gesture::Measure) {
        m_measureTo = std::clamp(x + offset(), 0, std::max(0, m_traces.imageWidth() - 1));
        viewport()->update();
    }
}

void WaveView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    if (m_gesture == Gesture::Drag)
        viewport()->unsetCursor();
    m_gesture = Gesture::None;
}
