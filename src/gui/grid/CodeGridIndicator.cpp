#include "gui/grid/CodeGridIndicator.h"

#include <QPainter>
#include <QPolygon>
#include <QStyleOptionHeader>

CodeGridIndicator::CodeGridIndicator(QWidget *parent)
    : QHeaderView(Qt::Vertical, parent)
{
    setFixedWidth(Width);
    setSectionResizeMode(QHeaderView::Fixed);
    setSectionsClickable(false);
    setSectionsMovable(false);
    setHighlightSections(false);
}

void CodeGridIndicator::setCurrentRow(int row)
{
    if (row == m_currentRow)
        return;
    const int previous = m_currentRow;
    m_currentRow = row;
    updateSection(previous);
    updateSection(row);
}

void CodeGridIndicator::updateSection(int row)
{
    if (row >= 0)
        viewport()->update(0, sectionViewportPosition(row), viewport()->width(), sectionSize(row));
}

void CodeGridIndicator::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    option.section = logicalIndex;
    option.state |= QStyle::State_Raised;
    // The style may leave its own clip behind; the marker is drawn without it.
    painter->save();
    style()->drawControl(QStyle::CE_Header, &option, painter, this);
    painter->restore();
    if (logicalIndex != m_currentRow)
        return;

    // A small right-pointing triangle, as in a record indicator.
    const QPoint centre = rect.center();
    const QPolygon arrow({QPoint(centre.x() - 2, centre.y() - 4), QPoint(centre.x() + 2, centre.y()),
                          QPoint(centre.x() - 2, centre.y() + 4)});
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(palette().color(QPalette::WindowText));
    painter->drawPolygon(arrow);
    painter->restore();
}
