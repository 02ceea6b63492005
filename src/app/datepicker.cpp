#include "datepicker.h"

#include <QKeyEvent>

#include <algorithm>

TDatePicker::TDatePicker(QWidget* parent) : QDateEdit(parent)
{
}

// QDateTimeEdit walks its fields on Tab; the window's focus chain is what Tab means.
bool TDatePicker::focusNextPrevChild(bool next)
{
    // NOLINTNEXTLINE(bugprone-parent-virtual-call): passing over QDateTimeEdit is the point
    return QWidget::focusNextPrevChild(next);
}

void TDatePicker::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if ((key == Qt::Key_Left || key == Qt::Key_Right) && event->modifiers() == Qt::NoModifier &&
        sectionCount() > 0) {
        const int step = key == Qt::Key_Right ? 1 : -1;
        const int index = std::clamp(currentSectionIndex() + step, 0, sectionCount() - 1);
        setCurrentSectionIndex(index);
        setSelectedSection(sectionAt(index));
        event->accept();
        return;
    }
    QDateEdit::keyPressEvent(event);
}
