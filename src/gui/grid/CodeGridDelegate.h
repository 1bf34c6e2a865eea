#pragma once

#include <QColor>
#include <QStyledItemDelegate>

class CodeGrid;

// Paints every data cell of the code grid: rows without a learned signal
// (empty "Carry") in red, highlighted rows on the scroll-bar grey, the idle
// send button at the left of column 0 and the current send button on the
// focused cell.
class CodeGridDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CodeGridDelegate)

public:
    // Text colour of a row that holds no valid signal.
    static inline const QColor MissingSignalText{255, 0, 0};
    // Background of highlighted rows: the classic Windows scroll-bar track
    // colour. Qt's palettes have no such role, so the colour is fixed.
    static inline const QColor HighlightBackground{200, 200, 200};

    explicit CodeGridDelegate(const CodeGrid &grid, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    void paintCell(QPainter &painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;

    const CodeGrid &m_grid;
};
