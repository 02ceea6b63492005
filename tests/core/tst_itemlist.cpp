#include "itemlist.h"
#include "testfiles.h"

#include <QLocale>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace tavelorn;

namespace {

// Records the notifications and checks that they come in pairs around each change.
class RecordingObserver : public ItemListObserver
{
public:
    explicit RecordingObserver(const ItemList& list) : m_list(list) {}
    QStringList log;

    void itemAboutToBeInserted(int index) override
    {
        m_countBefore = m_list.count();
        log << QStringLiteral("about to insert %1").arg(index);
    }
    void itemInserted(int index) override
    {
        EXPECT_EQ(m_list.count(), m_countBefore + 1);
        log << QStringLiteral("inserted %1 %2").arg(QString::number(index), m_list.at(index));
    }
    void itemsAboutToBeReset() override { log << QStringLiteral("about to reset"); }
    void itemsReset() override { log << QStringLiteral("reset %1").arg(m_list.count()); }

private:
    const ItemList& m_list;
    int m_countBefore = 0;
};

TEST(ItemList, UnsortedKeepsTheOrderOfAddsAndInserts)
{
    ItemList list;
    list.add("b");
    list.add("a");
    list.add("");
    list.add("a");
    list.insert(0, "first");
    list.insert(99, "last");
    list.insert(-5, "clamped");
    EXPECT_EQ(list.items(), QStringList({"clamped", "first", "b", "a", "", "a", "last"}));
    EXPECT_EQ(list.count(), 7);
    EXPECT_EQ(list.at(1), "first");
    EXPECT_EQ(list[2], "b");
    EXPECT_EQ(list.at(7), QString());
    EXPECT_EQ(list.at(-1), QString());
    list.clear();
    EXPECT_EQ(list.count(), 0);
}

TEST(ItemList, SortedIgnoresCaseAndPlacesEqualItemsAfterTheirEquals)
{
    ItemList list(true);
    for (const char* t : {"qas", "DEV", "Prd", "dev", "", "Dev", "aBc", "ÉTÉ", "été", "ete"})
        list.add(QString::fromUtf8(t));
    EXPECT_EQ(list.items(),
              QStringList({"", "aBc", "DEV", "dev", "Dev", "ete", "ÉTÉ", "été", "Prd", "qas"}));
}

// Sorted lists follow the collation of the user's locale, letter case ignored, whether
// items come one by one, in an update, or through Sort.
TEST(ItemList, SortedOrderIsTheLocaleCollation)
{
    const struct
    {
        QLocale locale;
        QStringList sorted;
    } cases[] = {
        {QLocale(QLocale::German, QLocale::Germany),
         {"apfel", "Äpfel", "Birne", "Église", "ezra", "Öl", "Zebra", "zz"}},
        {QLocale(QLocale::Swedish, QLocale::Sweden),
         {"apfel", "Birne", "Église", "ezra", "Zebra", "zz", "Äpfel", "Öl"}},
        // No language: the C locale collates as English, not by code units.
        {QLocale::c(), {"apfel", "Äpfel", "Birne", "Église", "ezra", "Öl", "Zebra", "zz"}},
    };
    const QStringList input = {"zz", "Öl", "Zebra", "Äpfel", "ezra", "Église", "Birne", "apfel"};
    const QLocale saved;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        QLocale::setDefault(c.locale);
        ItemList single(true), batched(true);
        for (const QString& t : input)
            single.add(t);
        batched.assign(input);
        QStringList sorted = input;
        ItemList::sort(sorted);
        EXPECT_EQ(single.items(), c.sorted);
        EXPECT_EQ(batched.items(), c.sorted);
        EXPECT_EQ(sorted, c.sorted);
        EXPECT_LT(ItemList::compare("Église", "ezra"), 0);
        EXPECT_EQ(ItemList::compare("ÉGLISE", "église"), 0);
    }
    QLocale::setDefault(saved);
}

TEST(ItemList, IndexOfFindsTheWholeTextWithoutRegardToCase)
{
    ItemList list;
    list.assign({"DEV", "Development", "dev", "", "Straße", "ÉTÉ"});
    EXPECT_EQ(list.indexOf("dev"), 0);
    EXPECT_EQ(list.indexOf("DEVELOPMENT"), 1);
    EXPECT_EQ(list.indexOf("De"), -1);
    EXPECT_EQ(list.indexOf(""), 3);
    EXPECT_EQ(list.indexOf(QStringLiteral("STRASSE")), -1);
    EXPECT_EQ(list.indexOf(QStringLiteral("été")), 5);
    EXPECT_EQ(ItemList().indexOf("x"), -1);
}

TEST(ItemList, AssignReplacesAndSortsStably)
{
    ItemList list(true);
    list.add("old");
    list.assign({"b", "B", "a", "b"});
    EXPECT_EQ(list.items(), QStringList({"a", "b", "B", "b"}));
    // A control character weighs nothing in collation: equal texts keep their order
    // although their code units differ.
    list.assign({QStringLiteral("b\u0001"), "a", "b"});
    EXPECT_EQ(list.items(), QStringList({"a", QStringLiteral("b\u0001"), "b"}));
    QStringList texts = {"b", QStringLiteral("b\u0001"), "B"};
    ItemList::sort(texts);
    EXPECT_EQ(texts, QStringList({"b", QStringLiteral("b\u0001"), "B"}));
}

// The deferred sorted adds of an update give exactly what adding one by one gives.
TEST(ItemList, UpdateGivesTheSameOrderAsSingleAdds)
{
    QStringList texts;
    QRandomGenerator rng(7);
    for (int i = 0; i < 500; ++i) {
        QString t;
        const int len = int(rng.bounded(3));
        for (int k = 0; k <= len; ++k)
            t += QChar(u"aAbB_ é"[rng.bounded(7)]);
        texts << t;
    }
    ItemList single(true), batched(true);
    single.add("b");
    batched.add("b");
    for (const QString& t : texts)
        single.add(t);
    {
        ItemListUpdate update(batched);
        for (int i = 0; i < texts.size(); ++i) {
            batched.add(texts[i]);
            if (i == 250) { // a read in between merges what is waiting
                EXPECT_EQ(batched.count(), 252);
            }
            if (i == 300) {
                EXPECT_GE(batched.indexOf(texts[i]), 0);
            }
            if (i >= 400 && i < 420) { // a view reading after each add
                EXPECT_EQ(batched.at(i + 1).isNull(), false);
            }
        }
    }
    EXPECT_EQ(batched.items(), single.items());
}

TEST(ItemList, ObserverHearsEachChangeOrOneResetPerUpdate)
{
    ItemList list(true);
    RecordingObserver obs(list);
    list.setObserver(&obs);
    list.add("b");
    list.add("a");
    list.insert(1, "x");
    list.clear();
    EXPECT_EQ(obs.log,
              QStringList({"about to insert 0", "inserted 0 b", "about to insert 0", "inserted 0 a",
                           "about to insert 1", "inserted 1 x", "about to reset", "reset 0"}));

    obs.log.clear();
    list.beginUpdate();
    list.beginUpdate();
    list.clear();
    list.add("c");
    list.add("a");
    list.endUpdate();
    EXPECT_EQ(obs.log, QStringList({"about to reset"}));
    list.endUpdate();
    EXPECT_EQ(obs.log, QStringList({"about to reset", "reset 2"}));
    EXPECT_EQ(list.items(), QStringList({"a", "c"}));

    obs.log.clear();
    {
        ItemListUpdate nothing(list);
    }
    list.assign({"z"});
    list.endUpdate(); // unbalanced: ignored
    EXPECT_EQ(obs.log, QStringList({"about to reset", "reset 1"}));
}

} // namespace
