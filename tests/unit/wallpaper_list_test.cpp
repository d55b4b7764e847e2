// The playlist: its cursor, the walks the rest of the program relies on, and
// the random pick with the generator's known sequence.

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "rotation/wallpaper_list.h"

namespace {

using Names = std::vector<std::string>;

// The first draw after seeding, as the generator's rule gives it.
int firstDraw(uint32_t seed) { return static_cast<int>(((seed * 214013u + 2531011u) >> 16) & 0x7FFF); }

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

TEST(WallpaperList, EmptyListAnswersNothing)
{
    WallpaperList list;
    EXPECT_EQ(0, list.count());
    EXPECT_TRUE(list.isEmpty());
    list.advance();
    EXPECT_EQ(nullptr, list.current());
    EXPECT_EQ(nullptr, list.pickRandom());
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

// The pick seeds with the clock's whole seconds, moves (draw % n) + 1 places
// and never lands on the entry it started from (unless it is the only one).
TEST(WallpaperList, PickRandomMovesAsTheClockSeedSays)
{
    struct Row {
        const char* name;
        int entries;
        int cursor;  // index before the pick
    };
    const Row rows[] = {
        {"five from first", 5, 0}, {"five from last wraps", 5, 4}, {"three", 3, 1},
        {"two from first", 2, 0},  {"two from second", 2, 1},     {"one", 1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WallpaperList list;
        std::time_t before, after;
        const char* picked;
        do {  // the seed is known only when the second did not change meanwhile
            list.clear();
            for (int i = 0; i < row.entries; ++i)
                list.append(std::to_string(i).c_str());
            for (int i = 0; i < row.cursor; ++i)
                list.advance();
            before = std::time(nullptr);
            picked = list.pickRandom();
            after = std::time(nullptr);
        } while (before != after);
        const int moved = firstDraw(static_cast<uint32_t>(before)) % row.entries + 1;
        int expected = (row.cursor + moved) % row.entries;
        if (expected == row.cursor && row.entries > 1)
            expected = (expected + 1) % row.entries;
        ASSERT_NE(nullptr, picked);
        EXPECT_EQ(std::to_string(expected), picked);
        EXPECT_EQ(picked, list.current()) << "the cursor stays on the pick";
    }
}

}  // namespace
