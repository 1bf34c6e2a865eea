#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

class QWidget;

// Places child widgets at fixed design positions inside a container and moves
// or stretches them with the container's edges they are anchored to.
class AnchoredPlacement final : public QObject
{
    Q_OBJECT

public:
    enum Anchor { Left = 1, Top = 2, Right = 4, Bottom = 8 };
    Q_DECLARE_FLAGS(Anchors, Anchor)

    // designSize: the container's size for which the design rectangles hold.
    AnchoredPlacement(QWidget *container, QSize designSize);

    void place(QWidget *widget, QRect designRect, Anchors anchors);

    // Geometry of a design rectangle in a container of the given size.
    [[nodiscard]] static QRect placed(QRect designRect, Anchors anchors, QSize designSize, QSize size);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Item
    {
        QPointer<QWidget> widget;
        QRect designRect;
        Anchors anchors;
    };

    void relayout();

    QWidget *m_container;
    QSize m_designSize;
    QList<Item> m_items;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(AnchoredPlacement::Anchors)
