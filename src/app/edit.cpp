#include "edit.h"

#include <QKeyEvent>

TEdit::TEdit(QWidget* parent) : QLineEdit(parent)
{
}

void TEdit::keyPressEvent(QKeyEvent* event)
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
