#include "gui/wave/WaveView.h"

#include <QAction>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

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

void WaveView::refresh()
{
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

void WaveView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const int offset = horizontalScrollBar()->value();
    const QRect shown(-offset, 0, m_traces.imageWidth(), WaveTraces::ImageHeight);
    const QRect target = event->rect() & shown;
    if (!target.isEmpty())
        painter.drawImage(target, m_traces.image(), target.translated(offset, 0));
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
    const QPoint at = viewport()->mapFromGlobal(event->globalPos());
    const QRect picture(-horizontalScrollBar()->value(), 0, m_traces.imageWidth(),
                        WaveTraces::ImageHeight);
    if (viewport()->rect().contains(at) && picture.contains(at))
        m_contextMenu->exec(event->globalPos());
}
