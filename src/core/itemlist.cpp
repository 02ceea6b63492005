#include "itemlist.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace tavelorn {

namespace {

// Letter case folded code unit by code unit, ASCII without the Unicode tables.
inline char16_t foldUnit(char16_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return static_cast<char16_t>(QChar::toCaseFolded(char32_t(c))); // BMP folds stay in the BMP
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

// The collator of the default locale, made once per thread and locale: making one
// costs far more than a comparison. ICU's C collation would compare code units.
const QCollator& listCollator()
{
    struct Cache
    {
        QLocale locale;
        QCollator collator;
    };
    thread_local std::optional<Cache> cache;
    const QLocale locale;
    if (!cache || cache->locale != locale) {
        const QLocale collation = locale.collation(); // LC_COLLATE for the system locale
        QCollator collator(collation.language() == QLocale::C ? QLocale(QLocale::English)
                                                              : collation);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        cache.emplace(Cache{locale, std::move(collator)});
    }
    return cache->collator;
}

bool collateLess(const QString& a, const QString& b)
{
    return listCollator().compare(a, b) < 0;
}

// A stable sort by collation. Folded code-unit order is usually the collation's order
// already (letters, digits, spaces): sorted that way and confirmed in one pass, the
// collator runs n times instead of n log n. Otherwise the collator sorts the texts.
// Equal texts by collation must be equal folded too, or their order could differ from
// the one they came in.
void collateSort(QStringList& texts)
{
    const QCollator& collator = listCollator();
    QStringList folded = texts;
    std::stable_sort(folded.begin(), folded.end(),
                     [](const QString& a, const QString& b) { return foldCompare(a, b) < 0; });
    bool confirmed = true;
    for (qsizetype i = 1; confirmed && i < folded.size(); ++i) {
        const int c = collator.compare(folded.at(i - 1), folded.at(i));
        confirmed = c < 0 || (c == 0 && foldCompare(folded.at(i - 1), folded.at(i)) == 0);
    }
    if (confirmed) {
        texts = std::move(folded);
        return;
    }
    std::stable_sort(texts.begin(), texts.end(), [&](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
}

bool foldEqual(QStringView a, QStringView b)
{
    return a.size() == b.size() && foldCompare(a, b) == 0;
}

} // namespace

int ItemList::compare(const QString& a, const QString& b)
{
    return listCollator().compare(a, b);
}

void ItemList::sort(QStringList& texts)
{
    collateSort(texts);
}

QString ItemList::foldKey(const QString& text)
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

void ItemList::aboutToChange()
{
    if (m_updateDepth > 0 && !m_resetPending) {
        m_resetPending = true;
        if (m_observer)
            m_observer->itemsAboutToBeReset();
    }
}

void ItemList::beginUpdate()
{
    ++m_updateDepth;
}

void ItemList::endUpdate()
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
void ItemList::flush() const
{
    if (m_pending.isEmpty())
        return;
    const qsizetype np = m_pending.size();
    // A few waiting items, as when a view reads the list after each add: placing each
    // costs less than merging the whole list every time.
    if (np * 32 <= m_items.size()) {
        for (const QString& t : std::as_const(m_pending))
            m_items.insert(std::upper_bound(m_items.cbegin(), m_items.cend(), t, collateLess) -
                               m_items.cbegin(),
                           t);
        m_pending.clear();
        return;
    }
    // A stable sort of the waiting items, then a merge in which the items held win ties.
    QStringList pending = std::move(m_pending);
    m_pending = QStringList();
    collateSort(pending);
    if (m_items.isEmpty()) {
        m_items = std::move(pending);
        return;
    }
    // Texts are moved rather than copied: no reference counts to touch on thousands.
    const QCollator& collator = listCollator();
    QStringList old = std::move(m_items);
    m_items = QStringList();
    m_items.reserve(old.size() + pending.size());
    qsizetype i = 0;
    for (QString& p : pending) {
        while (i < old.size() && collator.compare(p, old.at(i)) >= 0)
            m_items.append(std::move(old[i++]));
        m_items.append(std::move(p));
    }
    while (i < old.size())
        m_items.append(std::move(old[i++]));
}

void ItemList::clear()
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

int ItemList::add(const QString& text)
{
    if (!m_sorted) {
        insert(count(), text);
        return count() - 1;
    }
    if (m_updateDepth > 0) {
        aboutToChange();
        m_pending.append(text);
        return -1;
    }
    const int index = int(std::upper_bound(m_items.cbegin(), m_items.cend(), text, collateLess) -
                          m_items.cbegin());
    if (m_observer)
        m_observer->itemAboutToBeInserted(index);
    m_items.insert(index, text);
    if (m_observer)
        m_observer->itemInserted(index);
    return index;
}

void ItemList::insert(int index, const QString& text)
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

int ItemList::count() const
{
    return int(m_items.size() + m_pending.size());
}

QString ItemList::at(int index) const
{
    flush();
    return index >= 0 && index < m_items.size() ? m_items.at(index) : QString();
}

int ItemList::indexOf(const QString& text) const
{
    flush();
    for (qsizetype i = 0; i < m_items.size(); ++i)
        if (foldEqual(m_items.at(i), text))
            return int(i);
    return -1;
}

QStringList ItemList::items() const
{
    flush();
    return m_items;
}

void ItemList::assignItems(const ItemList& other)
{
    if (&other == this)
        return;
    if (m_sorted && !other.m_sorted) {
        assign(other.items());
        return;
    }
    ItemListUpdate update(*this);
    aboutToChange();
    m_items = other.items();
    m_pending.clear();
}

void ItemList::assign(const QStringList& items)
{
    ItemListUpdate update(*this);
    clear();
    for (const QString& t : items)
        add(t);
}

} // namespace tavelorn
