#include "listmerge.h"
#include "testfiles.h"

#include <gtest/gtest.h>

using namespace tavelorn;

namespace {

struct MergeCase
{
    const char* name;
    QStringList before, after, current, expected;
};

class ListMerge : public ::testing::TestWithParam<MergeCase>
{
};

TEST_P(ListMerge, AppliesTheEditToTheListAsItIsNow)
{
    const MergeCase& c = GetParam();
    EXPECT_EQ(mergeListEdit(c.before, c.after, c.current), c.expected);
}

const QStringList abc{"a", "b", "c"};

INSTANTIATE_TEST_SUITE_P(
    Cases, ListMerge,
    ::testing::Values(
        // One writer: the edit is the result, whatever it did.
        MergeCase{"AloneTheEditIsTheResult", abc, {"c", "x", "a"}, abc, {"c", "x", "a"}},
        MergeCase{"NoEditKeepsWhatOthersWrote", abc, abc, {"a", "z"}, {"a", "z"}},
        // Others appended z; the user appended x.
        MergeCase{"BothAdditionsStay",
                  abc,
                  {"a", "b", "c", "x"},
                  {"a", "b", "c", "z"},
                  {"a", "b", "c", "z", "x"}},
        // The user removed b; others added z after b: z follows a, the item before it now.
        MergeCase{"RemovalMeetsAnAddition", abc, {"a", "c"}, {"a", "b", "z", "c"}, {"a", "z", "c"}},
        // Replacing b by B is removing b and adding B in its place.
        MergeCase{"Replacement", abc, {"a", "B", "c"}, {"a", "b", "c", "z"}, {"a", "B", "c", "z"}},
        // The user moved c up; others added z at the front.
        MergeCase{"MovesKeepTheUsersOrder",
                  abc,
                  {"c", "a", "b"},
                  {"z", "a", "b", "c"},
                  {"z", "c", "a", "b"}},
        // Others removed b; the user's unrelated addition does not bring it back.
        MergeCase{"OthersRemovalStays", abc, {"a", "b", "c", "x"}, {"a", "c"}, {"a", "c", "x"}},
        // Both removed b: gone once, not twice.
        MergeCase{"BothRemovedTheSameItem", abc, {"a", "c"}, {"a", "c"}, {"a", "c"}},
        // Both added x: it was added twice.
        MergeCase{"BothAddedTheSameText",
                  abc,
                  {"a", "b", "c", "x"},
                  {"a", "b", "c", "x"},
                  {"a", "b", "c", "x"}},
        // Duplicates count one by one: the user removed one of two equal items.
        MergeCase{"DuplicatesCountOneByOne",
                  {"a", "a", "b"},
                  {"a", "b"},
                  {"a", "a", "b", "z"},
                  {"a", "b", "z"}},
        // An empty top item (the refresh comments) stays where it stands.
        MergeCase{"EmptyItemsAreItems",
                  {"", "old"},
                  {"", "old", "new"},
                  {"", "old", "theirs"},
                  {"", "old", "theirs", "new"}},
        MergeCase{"FromNothing", {}, {"x"}, {"z"}, {"z", "x"}},
        MergeCase{"EverythingRemoved", abc, {}, {"a", "b", "c", "z"}, {"z"}}),
    [](const ::testing::TestParamInfo<MergeCase>& info) { return info.param.name; });

// Linear: a 200,000-item list with edits on both sides merges at once (a quadratic merge
// would take minutes).
TEST(ListMergeScale, LargeListsMergeInLinearTime)
{
    QStringList before, after, current;
    for (int i = 0; i < 200'000; ++i)
        before << QString::number(i);
    after = before;
    current = before;
    after.removeAt(10);
    after << QStringLiteral("mine");
    current.insert(5, QStringLiteral("theirs"));
    const QStringList merged = mergeListEdit(before, after, current);
    ASSERT_EQ(merged.size(), before.size() + 1);
    EXPECT_EQ(merged[5], "theirs");
    EXPECT_EQ(merged.back(), "mine");
    EXPECT_FALSE(merged.contains(QStringLiteral("10")));
}

} // namespace
