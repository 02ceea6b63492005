#pragma once

#include <QLabel>

// A label that answers a click with the left button, like a link.
class TClickLabel : public QLabel
{
    Q_OBJECT

public:
    explicit TClickLabel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};
