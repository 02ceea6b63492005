#pragma once

#include <QString>
#include <QStringList>

// Hears about changes of a TItemList, so that a view model bound to it can follow.
// Every change comes as an "about to" call before and a matching call after it.
class TItemListObserver
{
public:
    virtual ~TItemListObserver() = default;
    virtual void itemAboutToBeInserted(int index) = 0;
    virtual void itemInserted(int index) = 0;
    virtual void itemsAboutToBeReset() = 0;
    virtual void itemsReset() = 0;
};

// The ordered texts behind a drop-down selector. A sorted list keeps its items in the
// order of Compare; an added text goes after the items equal to it. Finding a text
// compares whole texts with letter case ignored.
class TItemList
{
public:
    explicit TItemList(bool sorted = false) : m_sorted(sorted) {}
    TItemList(const TItemList&) = delete;
    TItemList& operator=(const TItemList&) = delete;

    bool Sorted() const { return m_sorted; }

    // Removes every item.
    void Clear();
    // Adds text at the end, or at its sorted place in a sorted list; returns its index
    // (-1 for a sorted add deferred by BeginUpdate).
    int Add(const QString& text);
    // Inserts text at index (clamped to 0 … Count()), also in a sorted list.
    void Insert(int index, const QString& text);
    int Count() const;
    // The item at index; empty text when index is out of range.
    QString Get(int index) const;
    QString operator[](int index) const { return Get(index); }
    // Index of the first item equal to text with letter case ignored, or -1.
    int IndexOf(const QString& text) const;
    QStringList Items() const;
    // Replaces every item; a sorted list sorts them (stable).
    void Assign(const QStringList& items);
    // Replaces every item by other's, in other's order (a sorted list copying an
    // unsorted one sorts them). Shares other's texts until either list changes.
    void AssignItems(const TItemList& other);

    // Between BeginUpdate and EndUpdate the observer hears one reset in place of each
    // change, and sorted adds cost O(log n) each: use it when loading many items.
    // Calls nest.
    void BeginUpdate();
    void EndUpdate();

    // The order of sorted lists and of the list editor's Sort: the collation of the
    // user's locale (QLocale()), letter case ignored; the C locale collates as English.
    // Negative, zero or positive as in QString::compare.
    static int Compare(const QString& a, const QString& b);
    // Sorts texts stably in the order of Compare.
    static void Sort(QStringList& texts);
    // A text with letter case folded as Compare does: texts equal for Compare have
    // equal keys.
    static QString FoldKey(const QString& text);

    void setObserver(TItemListObserver* observer) { m_observer = observer; }
    TItemListObserver* observer() const { return m_observer; }

private:
    void flush() const;
    void aboutToChange();

    bool m_sorted;
    int m_updateDepth = 0;
    bool m_resetPending = false;
    TItemListObserver* m_observer = nullptr;
    // Sorted adds made during an update wait in m_pending until the next read.
    mutable QStringList m_items;
    mutable QStringList m_pending;
};

// BeginUpdate … EndUpdate on every path.
class TItemListUpdate
{
public:
    explicit TItemListUpdate(TItemList& list) : m_list(list) { m_list.BeginUpdate(); }
    ~TItemListUpdate() { m_list.EndUpdate(); }
    TItemListUpdate(const TItemListUpdate&) = delete;
    TItemListUpdate& operator=(const TItemListUpdate&) = delete;

private:
    TItemList& m_list;
};
