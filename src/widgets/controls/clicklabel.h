#pragma once

#include <QLabel>

namespace tavelorn {

// A label that answers a click with the left button, like a link. Given a focus policy
// it is also a tab stop: Space and Enter click it, and a dotted frame shows the focus.
class ClickLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ClickLabel(QWidget* parent = nullptr);

    // As a click with the mouse: raises clicked() when enabled.
    void click();

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_pressed = false;
};

} // namespace tavelorn
