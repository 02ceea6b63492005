#pragma once

#include <QObject>
#include <QRect>

#include <functional>

class QWidget;

// Centres a window's frame, not its client area, on an area. The window manager adds
// the frame only once the window is mapped, so the window is centred when the placement
// is made (before it is shown) and once more when its frame first shows up, unless the
// program has moved it elsewhere meanwhile.
class TCentredPlacement : public QObject
{
public:
    // area is asked for at each placement. The placement belongs to window.
    TCentredPlacement(QWidget* window, std::function<QRect()> area);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void centre();

    QWidget* FWindow;
    std::function<QRect()> FArea;
    QPoint FPlaced;
    bool FFramed = false;
};
