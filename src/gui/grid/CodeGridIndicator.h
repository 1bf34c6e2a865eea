#pragma once

#include <QHeaderView>

// The indicator column at the left of the code grid: 12 pixels wide including
// its line, drawn raised, with a marker on the current row.
class CodeGridIndicator final : public QHeaderView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CodeGridIndicator)

public:
    static constexpr int Width = 12;

    explicit CodeGridIndicator(QWidget *parent = nullptr);

    // row is 0-based; -1 marks no row.
    void setCurrentRow(int row);
    [[nodiscard]] int currentRow() const { return m_currentRow; }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    void updateSection(int row);

    int m_currentRow = -1;
};
