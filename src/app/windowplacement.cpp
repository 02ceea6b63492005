#include "windowplacement.h"

#include <QEvent>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace tavelorn {

namespace {

// The window manager's frame round the client area; none before the window is mapped.
// (QWidget::frameGeometry is not reliable before then.)
QMargins frameMargins(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

} // namespace

CentredPlacement::CentredPlacement(QWidget* window, std::function<QRect()> area,
                                   std::function<QRect()> bounds)
    : QObject(window), m_window(window), m_area(std::move(area)), m_bounds(std::move(bounds))
{
    centre();
    window->installEventFilter(this);
}

// Moving a window places its frame's top-left corner.
void CentredPlacement::centre()
{
    const QRect area = m_area();
    if (area.isEmpty())
        return;
    const QMargins m = frameMargins(m_window);
    const QSize frame = m_window->size().grownBy(m);
    QPoint at(area.x() + (area.width() - frame.width()) / 2,
              area.y() + (area.height() - frame.height()) / 2);
    if (const QRect bounds = m_bounds ? m_bounds() : QRect(); bounds.isValid()) {
        // The top-left corner wins where the frame is larger than the bounds.
        at.setX(std::max(std::min(at.x(), bounds.right() + 1 - frame.width()), bounds.left()));
        at.setY(std::max(std::min(at.y(), bounds.bottom() + 1 - frame.height()), bounds.top()));
    }
    m_placed = at;
    m_window->move(m_placed);
}

bool CentredPlacement::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_window)
        return false;
    const QEvent::Type type = event->type();
    if (type == QEvent::Show) {
        // A dialog shown again is placed again, over its parent as it stands now; at the
        // first showing only when the program left it where it was placed.
        const bool moved = (m_window->pos() - m_placed).manhattanLength() > 2;
        if (m_shown || !moved) {
            centre();
            m_framed = !frameMargins(m_window).isNull();
        }
        m_shown = true;
        return false;
    }
    if (m_framed || (type != QEvent::Move && type != QEvent::Resize))
        return false;
    // Unless the program placed the window elsewhere meanwhile. At a fractional scale
    // the position comes back rounded, and while the frame is being added it may pass
    // through another place first: a position away from ours waits for the next one.
    if ((m_window->pos() - m_placed).manhattanLength() > 2)
        return false;
    if (!frameMargins(m_window).isNull()) {
        m_framed = true;
        centre();
    } else if (type == QEvent::Resize) {
        // Sized while being shown (a message box fits itself to its text): centre that size.
        centre();
    }
    return false;
}

bool askYesNo(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text)
{
    QMessageBox box(icon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    centreOnParent(&box);
    return box.exec() == QMessageBox::Yes;
}

void centreOnParent(QWidget* dialog)
{
    // The size showing would give it, so that the first placement is already the right one.
    if (!dialog->testAttribute(Qt::WA_Resized))
        dialog->adjustSize();
    new CentredPlacement(
        dialog,
        [dialog] {
            const QWidget* parent = dialog->parentWidget();
            const QWidget* owner = parent ? parent->window() : nullptr;
            if (owner && owner->isVisible())
                return owner->frameGeometry();
            const QScreen* screen = dialog->screen();
            return screen ? screen->availableGeometry() : QRect();
        },
        [dialog] {
            const QWidget* parent = dialog->parentWidget();
            const QScreen* screen = parent ? parent->window()->screen() : dialog->screen();
            return screen ? screen->availableGeometry() : QRect();
        });
}

} // namespace tavelorn
