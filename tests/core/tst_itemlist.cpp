#include "itemlist.h"
#include "testfiles.h"

#include <QLocale>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

// Records the notifications and checks that they come in pairs around each change.
class RecordingObserver : public TItemListObserver
{
public:
    explicit RecordingObserver(const TItemList& list) : m_list(list) {}
    QStringList log;

    void itemAboutToBeInserted(int index) override
    {
        m_countBefore = m_list.Count();
        log << QStringLiteral("about to insert %1").arg(index);
    }
    void itemInserted(int index) override
    {
        EXPECT_EQ(m_list.Count(), m_countBefore + 1);
        log << QStringLiteral("inserted %1 %2").arg(QString::number(index), m_list.Get(index));
    }
    void itemsAboutToBeReset() override { log << QStringLiteral("about to reset"); }
    void itemsReset() override { log << QStringLiteral("reset %1").arg(m_list.Count()); }

private:
    const TItemList& m_list;
    int m_countBefore = 0;
};

TEST(ItemList, UnsortedKeepsTheOrderOfAddsAndInserts)
{
    TItemList list;
    list.Add("b");
    list.Add("a");
    list.Add("");
    list.Add("a");
    list.Insert(0, "first");
    list.Insert(99, "last");
    list.Insert(-5, "clamped");
    EXPECT_EQ(list.Items(), QStringList({"clamped", "first", "b", "a", "", "a", "last"}));
    EXPECT_EQ(list.Count(), 7);
    EXPECT_EQ(list.Get(1), "first");
    EXPECT_EQ(list[2], "b");
    EXPECT_EQ(list.Get(7), QString());
    EXPECT_EQ(list.Get(-1), QString());
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(ItemList, SortedIgnoresCaseAndPlacesEqualItemsAfterTheirEquals)
{
    TItemList list(true);
    for (const char* t : {"qas", "DEV", "Prd", "dev", "", "Dev", "aBc", "ÉTÉ", "été", "ete"})
        list.Add(QString::fromUtf8(t));
    EXPECT_EQ(list.Items(),
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
        TItemList single(true), batched(true);
        for (const QString& t : input)
            single.Add(t);
        batched.Assign(input);
        QStringList sorted = input;
        TItemList::Sort(sorted);
        EXPECT_EQ(single.Items(), c.sorted);
        EXPECT_EQ(batched.Items(), c.sorted);
        EXPECT_EQ(sorted, c.sorted);
        EXPECT_LT(TItemList::Compare("Église", "ezra"), 0);
        EXPECT_EQ(TItemList::Compare("ÉGLISE", "église"), 0);
    }
    QLocale::setDefault(saved);
}

TEST(ItemList, IndexOfFindsTheWholeTextWithoutRegardToCase)
{
    TItemList list;
    list.Assign({"DEV", "Development", "dev", "", "Straße", "ÉTÉ"});
    EXPECT_EQ(list.IndexOf("dev"), 0);
    EXPECT_EQ(list.IndexOf("DEVELOPMENT"), 1);
    EXPECT_EQ(list.IndexOf("De"), -1);
    EXPECT_EQ(list.IndexOf(""), 3);
    EXPECT_EQ(list.IndexOf(QStringLiteral("STRASSE")), -1);
    EXPECT_EQ(list.IndexOf(QStringLiteral("été")), 5);
    EXPECT_EQ(TItemList().IndexOf("x"), -1);
}

TEST(ItemList, AssignReplacesAndSortsStably)
{
    TItemList list(true);
    list.Add("old");
    list.Assign({"b", "B", "a", "b"});
    EXPECT_EQ(list.Items(), QStringList({"a", "b", "B", "b"}));
    // A control character weighs nothing in collation: equal texts keep their order
    // although their code units differ.
    list.Assign({QStringLiteral("b\u0001"), "a", "b"});
    EXPECT_EQ(list.Items(), QStringList({"a", QStringLiteral("b\u0001"), "b"}));
    QStringList texts = {"b", QStringLiteral("b\u0001"), "B"};
    TItemList::Sort(texts);
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
    TItemList single(true), batched(true);
    single.Add("b");
    batched.Add("b");
    for (const QString& t : texts)
        single.Add(t);
    {
        TItemListUpdate update(batched);
        for (int i = 0; i < texts.size(); ++i) {
            batched.Add(texts[i]);
            if (i == 250) { // a read in between merges what is waiting
                EXPECT_EQ(batched.Count(), 252);
            }
            if (i == 300) {
                EXPECT_GE(batched.IndexOf(texts[i]), 0);
            }
            if (i >= 400 && i < 420) { // a view reading after each add
                EXPECT_EQ(batched.Get(i + 1).isNull(), false);
            }
        }
    }
    EXPECT_EQ(batched.Items(), single.Items());
}

TEST(ItemList, ObserverHearsEachChangeOrOneResetPerUpdate)
{
    TItemList list(true);
    RecordingObserver obs(list);
    list.setObserver(&obs);
    list.Add("b");
    list.Add("a");
    list.Insert(1, "x");
    list.Clear();
    EXPECT_EQ(obs.log,
              QStringList({"about to insert 0", "inserted 0 b", "about to insert 0", "inserted 0 a",
                           "about to insert 1", "inserted 1 x", "about to reset", "reset 0"}));

    obs.log.clear();
    list.BeginUpdate();
    list.BeginUpdate();
    list.Clear();
    list.Add("c");
    list.Add("a");
    list.EndUpdate();
    EXPECT_EQ(obs.log, QStringList({"about to reset"}));
    list.EndUpdate();
    EXPECT_EQ(obs.log, QStringList({"about to reset", "reset 2"}));
    EXPECT_EQ(list.Items(), QStringList({"a", "c"}));

    obs.log.clear();
    {
        TItemListUpdate nothing(list);
    }
    list.Assign({"z"});
    list.EndUpdate(); // unbalanced: ignored
    EXPECT_EQ(obs.log, QStringList({"about to reset", "reset 1"}));
}

} // namespace
