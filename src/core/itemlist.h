#pragma once

#include <QString>
#include <QStringList>

namespace tavelorn {

// Hears about changes of an ItemList, so that a view model bound to it can follow.
// Every change comes as an "about to" call before and a matching call after it.
class ItemListObserver
{
public:
    virtual ~ItemListObserver() = default;
    virtual void itemAboutToBeInserted(int index) = 0;
    virtual void itemInserted(int index) = 0;
    virtual void itemsAboutToBeReset() = 0;
    virtual void itemsReset() = 0;
};

// The ordered texts behind a drop-down selector. A sorted list keeps its items in the
// order of compare(); an added text goes after the items equal to it. Finding a text
// compares whole texts with letter case ignored.
class ItemList
{
public:
    explicit ItemList(bool sorted = false) : m_sorted(sorted) {}
    ItemList(const ItemList&) = delete;
    ItemList& operator=(const ItemList&) = delete;

    bool isSorted() const { return m_sorted; }

    // Removes every item.
    void clear();
    // Adds text at the end, or at its sorted place in a sorted list; returns its index
    // (-1 for a sorted add deferred by beginUpdate()).
    int add(const QString& text);
    // Inserts text at index (clamped to 0 … count()), also in a sorted list.
    void insert(int index, const QString& text);
    int count() const;
    // The item at index; empty text when index is out of range.
    QString at(int index) const;
    QString operator[](int index) const { return at(index); }
    // Index of the first item equal to text with letter case ignored, or -1.
    int indexOf(const QString& text) const;
    QStringList items() const;
    // Replaces every item; a sorted list sorts them (stable).
    void assign(const QStringList& items);
    // Replaces every item by other's, in other's order (a sorted list copying an
    // unsorted one sorts them). Shares other's texts until either list changes.
    void assignItems(const ItemList& other);

    // Between beginUpdate() and endUpdate() the observer hears one reset in place of each
    // change, and sorted adds cost O(log n) each: use it when loading many items.
    // Calls nest.
    void beginUpdate();
    void endUpdate();

    // The order of sorted lists and of the list editor's Sort: the collation of the
    // user's locale (QLocale()), letter case ignored; the C locale collates as English.
    // Negative, zero or positive as in QString::compare.
    static int compare(const QString& a, const QString& b);
    // Sorts texts stably in the order of compare().
    static void sort(QStringList& texts);
    // A text with letter case folded as compare() does: texts equal for compare() have
    // equal keys.
    static QString foldKey(const QString& text);

    void setObserver(ItemListObserver* observer) { m_observer = observer; }
    ItemListObserver* observer() const { return m_observer; }

private:
    void flush() const;
    void aboutToChange();

    bool m_sorted;
    int m_updateDepth = 0;
    bool m_resetPending = false;
    ItemListObserver* m_observer = nullptr;
    // Sorted adds made during an update wait in m_pending until the next read.
    mutable QStringList m_items;
    mutable QStringList m_pending;
};

// beginUpdate() … endUpdate() on every path.
class ItemListUpdate
{
public:
    explicit ItemListUpdate(ItemList& list) : m_list(list) { m_list.beginUpdate(); }
    ~ItemListUpdate() { m_list.endUpdate(); }
    ItemListUpdate(const ItemListUpdate&) = delete;
    ItemListUpdate& operator=(const ItemListUpdate&) = delete;

private:
    ItemList& m_list;
};

} // namespace tavelorn
