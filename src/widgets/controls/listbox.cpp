#include "listbox.h"

#include <QMouseEvent>

namespace tavelorn {

ListBox::ListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex& index,
                                                              const QEvent* event) const
{
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    if (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return command;
}

// A press on no item would clear the selection.
void ListBox::mousePressEvent(QMouseEvent* event)
{
    if (!indexAt(event->position().toPoint()).isValid()) {
        event->accept();
        return;
    }
    QListWidget::mousePressEvent(event);
}

} // namespace tavelorn
