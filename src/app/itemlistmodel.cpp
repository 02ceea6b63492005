#include "itemlistmodel.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace tavelorn {

ItemListModel::ItemListModel(ItemList& list, QObject* parent)
    : QAbstractListModel(parent), m_list(list), m_count(list.count())
{
    m_list.setObserver(this);
}

ItemListModel::~ItemListModel()
{
    if (m_list.observer() == this)
        m_list.setObserver(nullptr);
}

void ItemListModel::attach(QComboBox* combo)
{
    m_combo = combo;
    combo->setModel(this);
    combo->setCurrentIndex(-1);
}

void ItemListModel::setExtraItem(const QString& text)
{
    if (text == m_extra)
        return;
    if (!m_extra.isEmpty()) {
        beginRemoveRows({}, m_count, m_count);
        m_extra.clear();
        endRemoveRows();
    }
    if (!text.isEmpty()) {
        beginInsertRows({}, m_count, m_count);
        m_extra = text;
        endInsertRows();
    }
}

int ItemListModel::selectedIndex() const
{
    const int row = m_combo ? m_combo->currentIndex() : -1;
    return row >= 0 && row < m_count ? row : -1;
}

void ItemListModel::followReplacement(const QString& from, const QString& to)
{
    if (from.isEmpty() && to.isEmpty())
        m_replacement.reset();
    else
        m_replacement = std::make_pair(from, to);
}

int ItemListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_count + (m_extra.isEmpty() ? 0 : 1);
}

QVariant ItemListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const QString text = index.row() < m_count ? m_list.at(index.row()) : m_extra;
    if (role == Qt::AccessibleTextRole)
        // The empty first choice of a list ("no comment") still needs a name to be heard.
        return text.isEmpty() ? tr("(none)") : text;
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return text;
}

void ItemListModel::itemAboutToBeInserted(int index)
{
    m_hadSelection = m_combo && m_combo->currentIndex() >= 0;
    beginInsertRows({}, index, index);
}

void ItemListModel::itemInserted(int)
{
    m_count = m_list.count();
    endInsertRows();
    if (m_combo && !m_hadSelection && m_combo->currentIndex() >= 0) {
        const QSignalBlocker block(m_combo);
        m_combo->setCurrentIndex(-1);
    }
}

void ItemListModel::itemsAboutToBeReset()
{
    m_selectedText.reset();
    m_selectedExtra = false;
    if (m_combo && m_combo->currentIndex() >= 0) {
        const int row = m_combo->currentIndex();
        m_selectedText = data(index(row), Qt::DisplayRole).toString();
        m_selectedExtra = row == extraRow();
    }
    beginResetModel();
}

void ItemListModel::itemsReset()
{
    m_count = m_list.count();
    m_extra.clear();
    endResetModel();
    if (!m_combo)
        return;
    int row = -1;
    bool replaced = false;
    if (m_selectedText) {
        for (int i = 0; i < m_count; ++i)
            if (m_list.at(i) == *m_selectedText) {
                row = i;
                break;
            }
        if (row < 0 && !m_selectedExtra && m_replacement &&
            m_replacement->first == *m_selectedText) {
            for (int i = 0; i < m_count; ++i)
                if (m_list.at(i) == m_replacement->second) {
                    row = i;
                    replaced = true;
                    break;
                }
        }
        // A text shown beside the list stays while the list lacks it.
        if (row < 0 && m_selectedExtra && !m_selectedText->isEmpty()) {
            setExtraItem(*m_selectedText);
            row = extraRow();
        }
    }
    {
        const QSignalBlocker block(m_combo);
        m_combo->setCurrentIndex(row);
    }
    const bool lost = m_selectedText && row < 0;
    m_selectedText.reset();
    if (replaced)
        emit selectionReplaced();
    else if (lost)
        emit selectionLost();
}

} // namespace tavelorn
