#include "windowplacement.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {

// The window manager's frame round the client area; none before the window is mapped.
// (QWidget::frameGeometry is not reliable before then.)
QMargins frameMargins(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

} // namespace

TCentredPlacement::TCentredPlacement(QWidget* window, std::function<QRect()> area)
    : QObject(window), FWindow(window), FArea(std::move(area))
{
    centre();
    window->installEventFilter(this);
}

// Moving a window places its frame's top-left corner.
void TCentredPlacement::centre()
{
    const QRect area = FArea();
    if (area.isEmpty())
        return;
    const QMargins m = frameMargins(FWindow);
    const QSize frame = FWindow->size().grownBy(m);
    FPlaced = QPoint(area.x() + (area.width() - frame.width()) / 2,
                     area.y() + (area.height() - frame.height()) / 2);
    FWindow->move(FPlaced);
}

bool TCentredPlacement::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != FWindow || FFramed)
        return false;
    const QEvent::Type type = event->type();
    if ((type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show) &&
        !frameMargins(FWindow).isNull()) {
        // Unless the program placed the window elsewhere meanwhile. At a fractional scale
        // the position comes back rounded, and while the frame is being added it may pass
        // through another place first: a position away from ours waits for the next one.
        if ((FWindow->pos() - FPlaced).manhattanLength() <= 2) {
            FFramed = true;
            centre();
        }
    }
    return false;
}
