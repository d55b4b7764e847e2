// The playlist: its cursor, the walks the rest of the program relies on, and
// the random pick with the generator's known sequence.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rotation/wallpaper_list.h"

namespace {

using Names = std::vector<std::string>;

uint32_t seedOne() { return 1; }
uint32_t seedZero() { return 0; }
int seedCalls = 0;
uint32_t countingSeed() { return ++seedCalls, 1; }

void fill(WallpaperList& list, const Names& paths)
{
    for (const std::string& path : paths)
        list.append(path.c_str());
}

// count() steps of current() then advance(): what saving and the dialog see.
Names fullWalk(WallpaperList& list)
{
    Names seen;
    for (int32_t i = 0, n = list.count(); i < n; ++i, list.advance())
        seen.emplace_back(list.current());
    return seen;
}

TEST(WallpaperList, EmptyListAnswersNothingAndDoesNotSeed)
{
    WallpaperList list;
    list.setSeedSource(countingSeed);
    EXPECT_EQ(0, list.count());
    EXPECT_TRUE(list.isEmpty());
    list.advance();
    EXPECT_EQ(nullptr, list.current());
    EXPECT_EQ(nullptr, list.pickRandom());
    EXPECT_EQ(0, seedCalls);
}

TEST(WallpaperList, AppendKeepsCursorAndRefusesWhatDoesNotFit)
{
    WallpaperList list;
    list.append(nullptr);
    list.append(std::string(260, 'x').c_str());
    EXPECT_TRUE(list.isEmpty());
    const std::string longest(259, 'a');
    list.append(longest.c_str());
    EXPECT_EQ(longest, list.current());  // the first entry takes the cursor
    list.advance();
    EXPECT_EQ(longest, list.current());  // one entry stays under it
    fill(list, {"b", "b"});
    list.advance();
    list.append("d");
    EXPECT_STREQ("b", list.current());
    EXPECT_EQ(4, list.count());
    // Equal paths are distinct entries.
    const char* first = list.current();
    list.advance();
    EXPECT_STREQ("b", list.current());
    EXPECT_NE(first, list.current());
}

// The full walk starts at the cursor, wraps and leaves the cursor; a
// rebuild (clear, then fill) puts it on the first entry appended.
TEST(WallpaperList, FullWalkAndRebuild)
{
    WallpaperList list;
    fill(list, {"1", "2", "3", "4", "5"});
    list.advance();
    list.advance();
    EXPECT_EQ((Names{"3", "4", "5", "1", "2"}), fullWalk(list));
    EXPECT_STREQ("3", list.current());
    list.clear();
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(nullptr, list.current());
    fill(list, {"x", "y", "z"});
    EXPECT_EQ((Names{"x", "y", "z"}), fullWalk(list));
}

// A long list builds in linear time and is freed without deep recursion.
TEST(WallpaperList, LongListBuildsAndClears)
{
    WallpaperList list;
    for (int i = 0; i < 100000; ++i)
        list.append(std::to_string(i).c_str());
    EXPECT_EQ(100000, list.count());
    EXPECT_STREQ("0", list.current());
    list.clear();
    EXPECT_EQ(0, list.count());
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

TEST(WallpaperList, PickRandomMovesAsTheGeneratorSays)
{
    struct Row {
        const char* name;
        int entries;
        int cursor;  // index before the pick
        WallpaperList::SeedSource seed;
        int expected;
    };
    const Row rows[] = {
        {"five from first: 41 % 5 + 1 = 2 places", 5, 0, seedOne, 2},
        {"five from last wraps", 5, 4, seedOne, 1},
        {"five seed 0: 38 % 5 + 1 = 4 places", 5, 0, seedZero, 4},
        {"three: a full turn lands on itself, so one more", 3, 0, seedOne, 1},
        {"two from first", 2, 0, seedOne, 1},
        {"two from second", 2, 1, seedOne, 0},
        {"one", 1, 0, seedOne, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WallpaperList list;
        list.setSeedSource(row.seed);
        for (int i = 0; i < row.entries; ++i)
            list.append(std::to_string(i).c_str());
        for (int i = 0; i < row.cursor; ++i)
            list.advance();
        const char* picked = list.pickRandom();
        ASSERT_NE(nullptr, picked);
        EXPECT_EQ(std::to_string(row.expected), picked);
        EXPECT_EQ(picked, list.current()) << "the cursor stays on the pick";
    }
}

}  // namespace
