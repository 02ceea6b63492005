#pragma once

#include "itemlist.h"

#include <QAbstractListModel>
#include <QPointer>

class QComboBox;

// Shows a TItemList in a combo box. Reloading the list leaves the combo with no
// selection, and adding the first item does not select it (Qt would pick item 0). An
// extra row after the list's items can show a text the list lacks; it is not part of the
// list and goes when the list is reloaded.
class TItemListModel : public QAbstractListModel, private TItemListObserver
{
    Q_OBJECT

public:
    TItemListModel(TItemList& list, QObject* parent = nullptr);
    ~TItemListModel() override;

    // Binds the list to combo: sets this model and clears the selection.
    void attach(QComboBox* combo);

    // Shows text as the extra row; empty text removes the row.
    void setExtraItem(const QString& text);
    // The extra row's number, -1 when there is none.
    int extraRow() const { return m_extra.isEmpty() ? -1 : m_count; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    void itemAboutToBeInserted(int index) override;
    void itemInserted(int index) override;
    void itemsAboutToBeReset() override;
    void itemsReset() override;

    TItemList& m_list;
    QPointer<QComboBox> m_combo;
    int m_count = 0;
    QString m_extra;
    bool m_hadSelection = false;
};
