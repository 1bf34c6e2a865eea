#pragma once

#include <QColor>
#include <QWidget>

// The small disc beside a port check box: grey at rest, red while a send is
// held on that port.
class PortLamp final : public QWidget
{
    Q_OBJECT

public:
    static inline const QColor Rest{128, 128, 128};
    static inline const QColor Sending{255, 0, 0};

    explicit PortLamp(QWidget *parent = nullptr);

    void setColor(const QColor &color);
    [[nodiscard]] QColor color() const { return m_color; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color = Rest;
};
