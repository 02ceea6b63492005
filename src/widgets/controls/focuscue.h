#pragma once

#include <QWidget>

namespace tavelorn {

// Draws a focus ring over a widget whose style shows none (a read-only text box in the
// Fusion style looks the same with and without the focus). A child of that widget.
class FocusCue : public QWidget
{
public:
    explicit FocusCue(QWidget* target);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* m_target;
};

} // namespace tavelorn
