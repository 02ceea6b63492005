#include "itemlist.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

// Letter case folded code unit by code unit, ASCII without the Unicode tables.
inline char16_t foldUnit(char16_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return QChar::toCaseFolded(c);
}

// Compares folded texts in code-unit order. Equal runs are skipped four units at a
// time: profile identifiers share long beginnings.
int foldCompare(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    qsizetype i = 0;
    for (; i + 4 <= n; i += 4) {
        quint64 x, y;
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (x != y)
            break;
    }
    for (; i < n; ++i) {
        const char16_t x = foldUnit(a[i].unicode()), y = foldUnit(b[i].unicode());
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool foldLess(QStringView a, QStringView b)
{
    return foldCompare(a, b) < 0;
}

bool foldEqual(QStringView a, QStringView b)
{
    return a.size() == b.size() && foldCompare(a, b) == 0;
}

} // namespace

int TItemList::Compare(const QString& a, const QString& b)
{
    return foldCompare(a, b);
}

QString TItemList::FoldKey(const QString& text)
{
    const qsizetype n = text.size();
    const QChar* src = text.constData();
    qsizetype i = 0;
    while (i < n && foldUnit(src[i].unicode()) == src[i].unicode())
        ++i;
    if (i == n)
        return text;
    QString out(n, Qt::Uninitialized);
    QChar* dst = out.data();
    std::copy(src, src + i, dst);
    for (; i < n; ++i)
        dst[i] = QChar(foldUnit(src[i].unicode()));
    return out;
}

void TItemList::aboutToChange()
{
    if (m_updateDepth > 0 && !m_resetPending) {
        m_resetPending = true;
        if (m_observer)
            m_observer->itemsAboutToBeReset();
    }
}

void TItemList::BeginUpdate()
{
    ++m_updateDepth;
}

void TItemList::EndUpdate()
{
    if (m_updateDepth == 0 || --m_updateDepth > 0)
        return;
    flush();
    if (m_resetPending) {
        m_resetPending = false;
        if (m_observer)
            m_observer->itemsReset();
    }
}

// Places the sorted adds made during an update: equal to adding them one by one, each
// after the items equal to it.
void TItemList::flush() const
{
    if (m_pending.isEmpty())
        return;
    const qsizetype np = m_pending.size();
    // A few waiting items, as when a view reads the list after each add: placing each
    // costs less than merging the whole list every time.
    if (np * 32 <= m_items.size()) {
        for (const QString& t : std::as_const(m_pending))
            m_items.insert(std::upper_bound(m_items.cbegin(), m_items.cend(), t, foldLess) -
                               m_items.cbegin(),
                           t);
        m_pending.clear();
        return;
    }
    // A stable sort of the waiting items, then a merge in which existing items win ties.
    // Texts are moved rather than copied: no reference counts to touch on thousands.
    QStringList pending = std::move(m_pending);
    m_pending = QStringList();
    std::vector<qsizetype> order(static_cast<size_t>(np));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype l, qsizetype r) {
        const int c = foldCompare(pending.at(l), pending.at(r));
        return c < 0 || (c == 0 && l < r);
    });
    QStringList old = std::move(m_items);
    m_items = QStringList();
    m_items.reserve(old.size() + np);
    qsizetype i = 0;
    for (qsizetype p : order) {
        while (i < old.size() && !foldLess(pending.at(p), old.at(i)))
            m_items.append(std::move(old[i++]));
        m_items.append(std::move(pending[p]));
    }
    while (i < old.size())
        m_items.append(std::move(old[i++]));
}

void TItemList::Clear()
{
    if (m_updateDepth > 0) {
        aboutToChange();
        m_items.clear();
        m_pending.clear();
        return;
    }
    if (m_observer)
        m_observer->itemsAboutToBeReset();
    m_items.clear();
    m_pending.clear();
    if (m_observer)
        m_observer->itemsReset();
}

int TItemList::Add(const QString& text)
{
    if (!m_sorted) {
        Insert(Count(), text);
        return Count() - 1;
    }
    if (m_updateDepth > 0) {
        aboutToChange();
        m_pending.append(text);
        return -1;
    }
    const int index =
        int(std::upper_bound(m_items.cbegin(), m_items.cend(), text, foldLess) - m_items.cbegin());
    if (m_observer)
        m_observer->itemAboutToBeInserted(index);
    m_items.insert(index, text);
    if (m_observer)
        m_observer->itemInserted(index);
    return index;
}

void TItemList::Insert(int index, const QString& text)
{
    flush();
    index = std::clamp(index, 0, int(m_items.size()));
    if (m_updateDepth > 0) {
        aboutToChange();
        m_items.insert(index, text);
        return;
    }
    if (m_observer)
        m_observer->itemAboutToBeInserted(index);
    m_items.insert(index, text);
    if (m_observer)
        m_observer->itemInserted(index);
}

int TItemList::Count() const
{
    return int(m_items.size() + m_pending.size());
}

QString TItemList::Get(int index) const
{
    flush();
    return index >= 0 && index < m_items.size() ? m_items.at(index) : QString();
}

int TItemList::IndexOf(const QString& text) const
{
    flush();
    for (qsizetype i = 0; i < m_items.size(); ++i)
        if (foldEqual(m_items.at(i), text))
            return int(i);
    return -1;
}

QStringList TItemList::Items() const
{
    flush();
    return m_items;
}

void TItemList::AssignItems(const TItemList& other)
{
    if (&other == this)
        return;
    if (m_sorted && !other.m_sorted) {
        Assign(other.Items());
        return;
    }
    TItemListUpdate update(*this);
    aboutToChange();
    m_items = other.Items();
    m_pending.clear();
}

void TItemList::Assign(const QStringList& items)
{
    TItemListUpdate update(*this);
    Clear();
    for (const QString& t : items)
        Add(t);
}
