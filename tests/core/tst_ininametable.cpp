#include "ininametable.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

using namespace tavelorn::ini;

namespace {

// Names that QString::compare takes as equal without regard to case hash alike; the
// hash of an ASCII name is the one its folded bytes give step by step.
TEST(IniNameTable, HashFoldsCaseAsCompareDoes)
{
    const std::pair<QString, QString> equal[] = {
        {"SystemInfo_12", "SYSTEMINFO_12"},
        {"nbitems", "NbItems"},
        {QStringLiteral("Été"), QStringLiteral("éTÉ")},
        {QStringLiteral("ΣΊΣΥΦΟΣ"), QStringLiteral("σίσυφοσ")},
        {QStringLiteral("Ǆ"), QStringLiteral("ǆ")},
        {QStringLiteral("\U00010400"), QStringLiteral("\U00010428")}, // Deseret, a pair
        {"", ""},
    };
    for (const auto& [a, b] : equal) {
        ASSERT_EQ(a.compare(b, Qt::CaseInsensitive), 0) << qPrintable(a);
        EXPECT_EQ(foldedHash(a), foldedHash(b)) << qPrintable(a);
    }
    EXPECT_NE(foldedHash(u"Item_1"), foldedHash(u"Item_2"));
    EXPECT_NE(foldedHash(u"a"), foldedHash(u"a "));

    const QByteArray ascii = "SystemInfo_42";
    quint64 h = kHashSeed;
    for (char c : ascii)
        h = hashStep(h, foldAscii(char16_t(c)));
    EXPECT_EQ(finishHash(h), foldedHash(u"systeminfo_42"));
}

// A table of ids whose names are names[id].
struct Names
{
    QStringList names;
    NameTable table;

    void add(const QString& name)
    {
        const auto id = quint32(names.size());
        names.append(name);
        table.insert(foldedHash(name), id, [this](quint32 i) { return foldedHash(names[i]); });
    }
    quint32 find(const QString& name) const
    {
        return table.find(foldedHash(name), [&](quint32 id) {
            return names[id].compare(name, Qt::CaseInsensitive) == 0;
        });
    }
};

TEST(IniNameTable, FindsEveryNameWhileGrowing)
{
    Names t;
    EXPECT_EQ(t.find("absent"), kNoRecord);
    for (int i = 0; i < 5000; ++i) {
        t.add(QStringLiteral("Section_%1").arg(i));
        // Never more than three quarters full, and its size a power of two.
        ASSERT_LE(t.table.size() * 4, t.table.capacity() * 3);
        ASSERT_EQ(t.table.capacity() & (t.table.capacity() - 1), 0U);
    }
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(t.find(QStringLiteral("SECTION_%1").arg(i)), quint32(i));
    EXPECT_EQ(t.find("Section_5000"), kNoRecord);
}

TEST(IniNameTable, ReservedRoomIsNotGrown)
{
    Names t;
    t.table.reserve(1000);
    const size_t capacity = t.table.capacity();
    for (int i = 0; i < 1000; ++i)
        t.add(QString::number(i));
    EXPECT_EQ(t.table.capacity(), capacity);
    EXPECT_EQ(t.find("999"), 999U);
}

// Ids of one hash are told apart by the comparison, and the first accepted wins.
TEST(IniNameTable, SameHashFallsToTheComparison)
{
    NameTable table;
    const auto noGrowth = [](quint32) -> quint64 { return 7; };
    table.insert(7, 1, noGrowth);
    table.insert(7, 2, noGrowth);
    table.insert(7, 3, noGrowth);
    EXPECT_EQ(table.find(7, [](quint32 id) { return id == 2; }), 2U);
    EXPECT_EQ(table.find(7, [](quint32 id) { return id >= 2; }), 2U);
    EXPECT_EQ(table.find(7, [](quint32) { return false; }), kNoRecord);
    // The bits of the hash kept in a slot spare the comparison of another name.
    EXPECT_EQ(table.find(7 | (quint64(1) << 28), [](quint32) { return true; }), kNoRecord);
}

} // namespace
