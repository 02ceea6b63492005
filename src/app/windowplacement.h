#pragma once

#include <QMessageBox>
#include <QObject>
#include <QRect>

#include <functional>

class QWidget;

namespace tavelorn {

// Centres a window's frame, not its client area, on an area. The window manager adds
// the frame only once the window is mapped, so the window is centred when the placement
// is made, again each time it is shown (a dialog may size itself then), and once more
// when its frame first shows up, unless the program has moved it elsewhere meanwhile.
class CentredPlacement : public QObject
{
public:
    // area is asked for at each placement; when bounds gives a valid rectangle, the frame
    // is kept inside it as far as it fits. The placement belongs to window.
    CentredPlacement(QWidget* window, std::function<QRect()> area,
                     std::function<QRect()> bounds = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void centre();

    QWidget* m_window;
    std::function<QRect()> m_area;
    std::function<QRect()> m_bounds;
    QPoint m_placed;
    bool m_framed = false;
    bool m_shown = false;
};

// The one placement of the program's dialogs and message boxes: the dialog's frame
// centred on the frame of its parent's window, kept on that window's screen; on the
// screen's work area when there is no visible parent. Call it before the dialog is shown.
void centreOnParent(QWidget* dialog);

// A message box with Yes and No (No the default), placed by centreOnParent; true on Yes.
bool askYesNo(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text);

} // namespace tavelorn
