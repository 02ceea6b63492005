#pragma once

#include "itemlist.h"

#include <QAbstractListModel>
#include <QPointer>

#include <optional>
#include <utility>

class QComboBox;

namespace tavelorn {

// Shows an ItemList in a combo box. Reloading the list keeps the selected item selected
// when an item of exactly its text is still there, without the combo's signals; when it is
// gone the combo shows no selection and selectionLost() is emitted, so that what the
// window shows follows. Adding the first item does not select it (Qt would pick item 0).
// An extra row after the list's items can show a text the list lacks; it is not part of
// the list, and a reload keeps it only while it is selected and the list still lacks it.
// While a replacement is announced (followReplacement), a reload that drops the selected
// item selects the item that replaced it instead and emits selectionReplaced().
class ItemListModel : public QAbstractListModel, private ItemListObserver
{
    Q_OBJECT

public:
    ItemListModel(ItemList& list, QObject* parent = nullptr);
    ~ItemListModel() override;

    // Binds the list to combo: sets this model and clears the selection.
    void attach(QComboBox* combo);

    // Shows text as the extra row; empty text removes the row.
    void setExtraItem(const QString& text);
    // The extra row's number, -1 when there is none.
    int extraRow() const { return m_extra.isEmpty() ? -1 : m_count; }
    // The list index of the combo's selected item, -1 when none or the extra row.
    int selectedIndex() const;

    // Until the next call, a reload that drops a selected item of exactly the text from
    // selects the first item of exactly the text to. Two empty texts end it.
    void followReplacement(const QString& from, const QString& to);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

signals:
    // A reload dropped the combo's selected item.
    void selectionLost();
    // A reload put the item that replaced the selected one in its place.
    void selectionReplaced();

private:
    void itemAboutToBeInserted(int index) override;
    void itemInserted(int index) override;
    void itemsAboutToBeReset() override;
    void itemsReset() override;

    ItemList& m_list;
    QPointer<QComboBox> m_combo;
    int m_count = 0;
    QString m_extra;
    bool m_hadSelection = false;
    // The selection across a reload.
    std::optional<QString> m_selectedText;
    bool m_selectedExtra = false;
    std::optional<std::pair<QString, QString>> m_replacement;
};

} // namespace tavelorn
