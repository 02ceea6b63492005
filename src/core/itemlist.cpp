#include "itemlist.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

int TItemList::Compare(const QString& a, const QString& b)
{
    return FoldKey(a).compare(FoldKey(b));
}

QString TItemList::FoldKey(const QString& text)
{
    // Most items are ASCII: fold them without the general Unicode path.
    const qsizetype n = text.size();
    const QChar* src = text.constData();
    qsizetype i = 0;
    while (i < n && src[i].unicode() < 0x80 && !(src[i] >= u'A' && src[i] <= u'Z'))
        ++i;
    if (i == n)
        return text;
    QString out(n, Qt::Uninitialized);
    QChar* dst = out.data();
    std::copy(src, src + i, dst);
    for (; i < n; ++i) {
        const char16_t c = src[i].unicode();
        if (c >= 0x80)
            return text.toCaseFolded();
        dst[i] = QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c);
    }
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

namespace {

std::u16string_view view(const QString& s)
{
    return {reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size())};
}

// Code-unit order, as QString's operator<, skipping equal runs four units at a time:
// profile identifiers share long beginnings.
bool lessU16(std::u16string_view a, std::u16string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        quint64 x, y;
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (x != y)
            break;
    }
    for (; i < n; ++i)
        if (a[i] != b[i])
            return a[i] < b[i];
    return a.size() < b.size();
}

struct KeyLess
{
    bool operator()(const std::pair<std::u16string_view, qsizetype>& l,
                    const std::pair<std::u16string_view, qsizetype>& r) const
    {
        if (lessU16(l.first, r.first))
            return true;
        if (lessU16(r.first, l.first))
            return false;
        return l.second < r.second;
    }
};

} // namespace

// Merges the pending sorted adds: equal to adding them one by one, each after the items
// equal to it, as the sort is stable and existing items win ties.
void TItemList::flush() const
{
    if (m_pending.isEmpty())
        return;
    const qsizetype np = m_pending.size();
    // A few waiting items, as when a view reads the list after each add: placing each
    // costs less than merging the whole list every time.
    if (np * 32 <= m_items.size()) {
        for (const QString& t : std::as_const(m_pending)) {
            const QString key = FoldKey(t);
            const auto at = std::upper_bound(m_keys.cbegin(), m_keys.cend(), key) - m_keys.cbegin();
            m_items.insert(at, t);
            m_keys.insert(at, key);
        }
        m_pending.clear();
        return;
    }
    // Moved rather than copied: no reference counts to touch on thousands of texts.
    QStringList pending = std::move(m_pending);
    m_pending = QStringList();
    QStringList pendingKeys;
    pendingKeys.reserve(np);
    for (const QString& t : std::as_const(pending))
        pendingKeys.append(FoldKey(t));
    // Sorting views with the index as tie-break gives the stable order without the
    // cost of a stable sort.
    std::vector<std::pair<std::u16string_view, qsizetype>> order;
    order.reserve(size_t(np));
    for (qsizetype i = 0; i < np; ++i)
        order.emplace_back(view(pendingKeys.at(i)), i);
    std::sort(order.begin(), order.end(), KeyLess());

    QStringList oldItems = std::move(m_items);
    QStringList oldKeys = std::move(m_keys);
    m_items = QStringList();
    m_keys = QStringList();
    m_items.reserve(oldItems.size() + np);
    m_keys.reserve(oldItems.size() + np);
    qsizetype i = 0;
    for (const auto& [key, p] : order) {
        while (i < oldKeys.size() && !lessU16(key, view(oldKeys.at(i)))) {
            m_items.append(std::move(oldItems[i]));
            m_keys.append(std::move(oldKeys[i]));
            ++i;
        }
        m_items.append(std::move(pending[p]));
        m_keys.append(std::move(pendingKeys[p]));
    }
    for (; i < oldKeys.size(); ++i) {
        m_items.append(std::move(oldItems[i]));
        m_keys.append(std::move(oldKeys[i]));
    }
}

void TItemList::Clear()
{
    if (m_updateDepth > 0) {
        aboutToChange();
        m_items.clear();
        m_keys.clear();
        m_pending.clear();
        return;
    }
    if (m_observer)
        m_observer->itemsAboutToBeReset();
    m_items.clear();
    m_keys.clear();
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
    const QString key = FoldKey(text);
    const auto it = std::upper_bound(m_keys.cbegin(), m_keys.cend(), key);
    const int index = int(it - m_keys.cbegin());
    if (m_observer)
        m_observer->itemAboutToBeInserted(index);
    m_items.insert(index, text);
    m_keys.insert(index, key);
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
        m_keys.insert(index, FoldKey(text));
        return;
    }
    if (m_observer)
        m_observer->itemAboutToBeInserted(index);
    m_items.insert(index, text);
    m_keys.insert(index, FoldKey(text));
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
    return int(m_keys.indexOf(FoldKey(text)));
}

QStringList TItemList::Items() const
{
    flush();
    return m_items;
}

void TItemList::Assign(const QStringList& items)
{
    TItemListUpdate update(*this);
    Clear();
    for (const QString& t : items)
        Add(t);
}
