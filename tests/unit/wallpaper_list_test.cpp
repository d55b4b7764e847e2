// The playlist: its cursor, the walks the rest of the program relies on, and
// the random pick with the generator's known sequence.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rotation/wallpaper_list.h"

namespace {

uint32_t seedOne() { return 1; }
uint32_t seedZero() { return 0; }
int seedCalls = 0;
uint32_t countingSeed()
{
    ++seedCalls;
    return 1;
}

void fill(WallpaperList& list, const std::vector<std::string>& paths)
{
    for (const std::string& path : paths)
        list.append(path.c_str());
}

// count() steps of current() then advance(): what saving and the dialog see.
std::vector<std::string> fullWalk(WallpaperList& list)
{
    std::vector<std::string> seen;
    const int32_t n = list.count();
    for (int32_t i = 0; i < n; ++i) {
        seen.emplace_back(list.current());
        list.advance();
    }
    return seen;
}

TEST(WallpaperList, EmptyListAnswersNothingAndDoesNotSeed)
{
    WallpaperList list;
    seedCalls = 0;
    list.setSeedSource(countingSeed);
    EXPECT_EQ(0, list.count());
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(nullptr, list.current());
    list.advance();
    EXPECT_EQ(nullptr, list.current());
    EXPECT_EQ(nullptr, list.pickRandom());
    EXPECT_EQ(0, seedCalls);
}

TEST(WallpaperList, AppendKeepsCursorExceptOnFirstEntry)
{
    WallpaperList list;
    list.append("a");
    EXPECT_STREQ("a", list.current());
    list.append("b");
    list.append("c");
    EXPECT_STREQ("a", list.current());
    list.advance();
    list.append("d");
    EXPECT_STREQ("b", list.current());
    EXPECT_EQ(4, list.count());
}

TEST(WallpaperList, RefusesNullAndPathsThatDoNotFit)
{
    WallpaperList list;
    list.append(nullptr);
    list.append(std::string(260, 'x').c_str());
    EXPECT_TRUE(list.isEmpty());
    const std::string longest(259, 'y');
    list.append(longest.c_str());
    ASSERT_EQ(1, list.count());
    EXPECT_EQ(longest, list.current());
}

TEST(WallpaperList, OneEntryStaysUnderTheCursor)
{
    WallpaperList list;
    list.setSeedSource(seedOne);
    list.append("only");
    const char* first = list.current();
    list.advance();
    EXPECT_EQ(first, list.current());
    EXPECT_EQ(first, list.pickRandom());
    EXPECT_EQ(first, list.pickRandom());
}

TEST(WallpaperList, FullWalkStartsAtCursorWrapsAndLeavesCursor)
{
    WallpaperList list;
    fill(list, {"1", "2", "3", "4", "5"});
    list.advance();
    list.advance();  // cursor on entry 3
    EXPECT_EQ((std::vector<std::string>{"3", "4", "5", "1", "2"}), fullWalk(list));
    EXPECT_STREQ("3", list.current());

    // A sequential step shows entry 3 and leaves the cursor on 4.
    EXPECT_STREQ("3", list.current());
    list.advance();
    EXPECT_STREQ("4", list.current());
}

TEST(WallpaperList, RebuildPutsCursorOnFirstAppended)
{
    WallpaperList list;
    fill(list, {"old1", "old2"});
    list.advance();
    list.clear();
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(nullptr, list.current());
    fill(list, {"x", "y", "z"});
    EXPECT_STREQ("x", list.current());
    EXPECT_EQ((std::vector<std::string>{"x", "y", "z"}), fullWalk(list));
}

TEST(WallpaperList, EqualPathsAreDistinctEntries)
{
    WallpaperList list;
    list.setSeedSource(seedOne);
    fill(list, {"same", "same"});
    EXPECT_EQ(2, list.count());
    const char* before = list.current();
    const char* picked = list.pickRandom();
    EXPECT_STREQ("same", picked);
    EXPECT_NE(before, picked);  // the other entry object
}

TEST(RandomGenerator, KnownSequence)
{
    RandomGenerator generator;
    generator.seed(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(expected[i], generator.next()) << "draw " << i;
    generator.seed(0);
    EXPECT_EQ(38, generator.next());
}

// Row: entries in the list, the cursor's index before the pick, the seed,
// the index the pick must return.
struct PickCase {
    const char* name;
    int entries;
    int cursor;
    WallpaperList::SeedSource seed;
    int expected;
};

TEST(WallpaperList, PickRandomMovesAsTheGeneratorSays)
{
    const PickCase cases[] = {
        // seed 1 draws 41: five entries move (41 % 5) + 1 = 2 places.
        {"five from first", 5, 0, seedOne, 2},
        {"five from last wraps", 5, 4, seedOne, 1},
        // seed 0 draws 38: (38 % 5) + 1 = 4 places.
        {"five seed 0", 5, 0, seedZero, 4},
        // 41 % 3 + 1 = 3 = n: a full turn lands on the same entry, so one more.
        {"three full turn skips", 3, 0, seedOne, 1},
        {"two from first", 2, 0, seedOne, 1},
        {"two from second", 2, 1, seedOne, 0},
        {"one", 1, 0, seedOne, 0},
    };
    for (const PickCase& row : cases) {
        WallpaperList list;
        list.setSeedSource(row.seed);
        std::vector<std::string> names;
        for (int i = 0; i < row.entries; ++i)
            names.push_back(std::to_string(i));
        fill(list, names);
        for (int i = 0; i < row.cursor; ++i)
            list.advance();
        const char* picked = list.pickRandom();
        ASSERT_NE(nullptr, picked) << row.name;
        EXPECT_EQ(std::to_string(row.expected), picked) << row.name;
        EXPECT_EQ(picked, list.current()) << row.name << ": the cursor stays on the pick";
    }
}

TEST(WallpaperList, TwoEntriesAlternate)
{
    WallpaperList list;
    list.setSeedSource(seedOne);
    fill(list, {"a", "b"});
    EXPECT_STREQ("b", list.pickRandom());
    EXPECT_STREQ("a", list.pickRandom());
    EXPECT_STREQ("b", list.pickRandom());
}

TEST(WallpaperList, LongListBuildsAndWalks)
{
    WallpaperList list;
    for (int i = 0; i < 100000; ++i)
        list.append(std::to_string(i).c_str());
    EXPECT_EQ(100000, list.count());
    EXPECT_STREQ("0", list.current());
    list.clear();
    EXPECT_EQ(0, list.count());
}

}  // namespace
