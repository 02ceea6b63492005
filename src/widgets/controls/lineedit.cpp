#include "lineedit.h"

#include <QKeyEvent>

namespace tavelorn {

LineEdit::LineEdit(QWidget* parent) : QLineEdit(parent)
{
}

void LineEdit::keyPressEvent(QKeyEvent* event)
{
    // AltGr arrives as its own modifier (or as Control+Alt elsewhere): it still types.
    const Qt::KeyboardModifiers mods = event->modifiers();
    if ((mods & Qt::AltModifier) && !(mods & Qt::ControlModifier) && !event->text().isEmpty() &&
        event->text().at(0).isPrint()) {
        event->ignore();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace tavelorn
