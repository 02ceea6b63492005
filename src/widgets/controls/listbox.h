#pragma once

#include <QListWidget>

namespace tavelorn {

// A single-selection list box that, like the platform's, never loses its selected item
// to the user: Control with a click or Space on it, or a click below the last item,
// leave it selected. Only the program clears the selection.
class ListBox : public QListWidget
{
    Q_OBJECT

public:
    explicit ListBox(QWidget* parent = nullptr);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace tavelorn
