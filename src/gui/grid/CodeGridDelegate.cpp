#include "gui/grid/CodeGridDelegate.h"

#include "gui/grid/CodeGrid.h"
#include "gui/grid/GridGeometry.h"
#include "gui/grid/SendButtonArt.h"

#include <QPainter>

namespace {

constexpr int TextMargin = 2;

[[nodiscard]] Qt::Alignment cellAlignment(const QModelIndex &index)
{
    const QVariant alignment = index.data(Qt::TextAlignmentRole);
    if (!alignment.isValid())
        return Qt::AlignLeft | Qt::AlignVCenter;
    return Qt::Alignment::fromInt(alignment.toInt());
}

} // namespace

CodeGridDelegate::CodeGridDelegate(const CodeGrid &grid, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_grid(grid)
{
}

void CodeGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    painter->save();
    paintCell(*painter, option, index);
    painter->restore();
}

void CodeGridDelegate::paintCell(QPainter &painter, const QStyleOptionViewItem &option,
                                               const QModelIndex &index) const
{
    const int row = index.row();
    const QColor background =
        m_grid.isRowHighlighted(row) ? HighlightBackground : option.palette.color(QPalette::Base);
    painter.fillRect(option.rect, background);

    painter.setPen(m_grid.isCarryEmpty(row) ? MissingSignalText : option.palette.color(QPalette::Text));
    painter.setFont(option.font);
    const QRect textRect = option.rect.adjusted(TextMargin, 0, -TextMargin, 0);
    painter.drawText(textRect, int(cellAlignment(index)),
                     GridGeometry::cellText(index.data(Qt::DisplayRole).toString(), painter.fontMetrics(),
                                            textRect.width()));

    if (index.column() == 0)
        painter.drawImage(option.rect.topLeft(), SendButtonArt::image(SendButtonArt::Look::Idle));
    if (option.state.testFlag(QStyle::State_HasFocus))
        painter.drawImage(option.rect.topLeft(), SendButtonArt::image(SendButtonArt::Look::Current));
}
