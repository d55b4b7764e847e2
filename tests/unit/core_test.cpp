// The Win32-free logic: playlist, random pick, interval table, FILELIST
// resolver, file-open selection buffer, preview arithmetic.

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "rotation/interval_table.h"
#include "rotation/wallpaper_list.h"
#include "settings/filelist_section.h"
#include "ui/file_selection.h"
#include "ui/preview_geometry.h"

namespace {

using Strings = std::vector<std::string>;

TEST(WallpaperList, CursorWalksWrapsAndRefusesWhatDoesNotFit)
{
    WallpaperList list;
    list.advance();
    EXPECT_EQ(nullptr, list.current());
    EXPECT_EQ(nullptr, list.pickRandom());
    list.append(nullptr);
    list.append(std::string(260, 'x').c_str());
    EXPECT_TRUE(list.isEmpty());
    for (const char* path : {"1", "2", "3"})
        list.append(path);
    list.advance();
    list.advance();
    list.append(std::string(259, '4').c_str());
    Strings walked;  // count() steps from the cursor, as the save walks; the last wraps to the first
    for (int32_t i = 0, n = list.count(); i <= n; ++i, list.advance())
        walked.emplace_back(list.current());
    EXPECT_EQ((Strings{"3", std::string(259, '4'), "1", "2", "3"}), walked);
}

// The pick seeds with the clock's seconds and moves (draw % n) + 1 places,
// never landing where it started unless that is the only entry.
TEST(WallpaperList, PickRandomMovesAsTheClockSeedSays)
{
    RandomGenerator known;
    known.seed(1);
    for (int draw : {41, 18467, 6334, 26500, 19169})
        EXPECT_EQ(draw, known.next());
    for (int entries : {1, 2, 3, 5}) {
        WallpaperList list;
        std::time_t before, after;
        const char* picked;
        do {
            list.clear();
            for (int i = 0; i < entries; ++i)
                list.append(std::to_string(i).c_str());
            before = std::time(nullptr);
            picked = list.pickRandom();
            after = std::time(nullptr);
        } while (before != after);
        const uint32_t draw = ((static_cast<uint32_t>(before) * 214013u + 2531011u) >> 16) & 0x7FFF;
        const int moved = static_cast<int>(draw % entries + 1) % entries, expected = entries > 1 && !moved ? 1 : moved;
        EXPECT_EQ(std::to_string(expected), picked) << entries << " entries";
        EXPECT_EQ(picked, list.current());
    }
}

TEST(IntervalTable, EveryRowsSecondsAndLabel)
{
    const int seconds[kIntervalCount] = {5,    15,   30,   45,   60,    120,   180,   300,   600,   900,
                                         1200, 1500, 1800, 2700, 3600, 7200, 10800, 18000, 28800, 43200};
    for (int row = 0; row < kIntervalCount; ++row) {
        const int s = seconds[row];
        const std::string label = s < 60 ? std::to_string(s) + "\xC3\xEB"                     // 秒
                                  : s < 3600 ? std::to_string(s / 60) + "\xB7\xD6\xD6\xD3"  // 分钟
                                             : std::to_string(s / 3600) + "\xD0\xA1\xCA\xB1";  // 小时
        EXPECT_EQ(s, kIntervalTable[row].seconds) << "row " << row;
        EXPECT_EQ(label, kIntervalTable[row].label) << "row " << row;
    }
}

// Rows the profile functions cannot produce, and keys that must not reach
// past the index (the sanitizers watch); the rest is the in-process differential.
TEST(FileListSection, ResolvesKeysAsPerKeyReads)
{
    const struct { const char* name; Strings lines, expected; } rows[] = {
        {"lines in any order", {"1=B", "0=A"}, {"A", "B"}},
        {"leading zeros and signs are other keys", {"00=X", "+0=Y", "0=A", "01=Z"}, {"A"}},
        {"empty quotes end the list", {"0=A", "1=\"\"", "2=C"}, {"A"}},
        {"keys at and beyond the line count", {"0=A", "3=X", "4294967296=Y"}, {"A"}},
    };
    for (const auto& row : rows) {
        std::string text;
        for (const std::string& line : row.lines)
            text += line + '\0';
        Strings paths;
        resolveFileList(text.data(), text.size() + 1,
                        [](const char* p, void* out) { static_cast<Strings*>(out)->emplace_back(p); }, &paths);
        EXPECT_EQ(row.expected, paths) << row.name;
    }
}

TEST(FileSelection, ReadsOneOrSeveralFiles)
{
    const auto raw = [](const char* s, size_t n) { return std::string(s, n); };
    const std::string folder248 = "C:\\" + std::string(245, 'd'), path259 = "C:\\" + std::string(252, 'p') + ".jpg";
    const struct { const char* name; std::string buffer; size_t fileOffset; Strings expected; } rows[] = {
        {"drive root keeps one backslash", raw("C:\\\0a.jpg\0\0", 11), 4, {"C:\\a.jpg"}},
        {"folder ending in a trail byte 0x5C", raw("C:\\\x95\\\0a.jpg\0\0", 13), 6, {"C:\\\x95\\\\a.jpg"}},
        {"single path of 259 bytes", path259 + '\0', 3, {path259}},
        {"single path of 260 bytes", "C:\\" + std::string(253, 'p') + ".jpg" + '\0', 3, {}},
        {"joined paths over 259 bytes left out", folder248 + '\0' + "a.jpg" + '\0' + "a-much-longer-name.jpg" + '\0' + '\0',
         folder248.size() + 1, {folder248 + "\\a.jpg"}},
        {"unterminated single path", "C:\\pics\\a.jpg", 8, {}},
        {"last name cut by the end", raw("C:\\d\0a.jpg\0b.jp", 15), 5, {"C:\\d\\a.jpg"}},
    };
    for (const auto& row : rows) {
        // A block of exactly the buffer's size, so the sanitizers see any read past it.
        std::unique_ptr<char[]> buffer(new char[row.buffer.size()]);
        std::memcpy(buffer.get(), row.buffer.data(), row.buffer.size());
        EXPECT_EQ(row.expected, selectedPaths(buffer.get(), row.buffer.size(), row.fileOffset)) << row.name;
    }
}

// A 1024 x 768 screen at 96 dpi drawn into the 152 x 114 area.
TEST(PreviewGeometry, RenderCallsOfEveryStyle)
{
    // The picture's pixels and HIMETRIC size; the number of calls, and one of them.
    const struct { const char* name; int32_t mode, w, h, hmW, hmH; size_t count, index; RenderCall call; } rows[] = {
        {"stretch, drawn from the top edge", 2, 640, 480, 16933, 12700, 1, 0, {0, 0, 152, 114, 0, 12700, 16933, -12700}},
        {"centre cut to the screen", 1, 1600, 1200, 42333, 31750, 1, 0, {0, 0, 152, 114, 7620, 20320, 27093, -20320}},
        {"centre a pixel narrower than the screen", 1, 1023, 480, 27066, 12700, 1, 0, {0, 21, 151, 71, 0, 12700, 27066, -12700}},
        {"centre 1281 wide truncates toward zero", 1, 1281, 480, 33893, 12700, 1, 0,
         {0, 21, 152, 71, 3386, 12700, 27120, -12700}},
        {"centre taller than the screen", 1, 640, 1000, 16933, 26458, 1, 0, {28, 0, 95, 114, 0, 20320, 16933, -20320}},
        {"tile 300x300, last column and row cut", 0, 300, 300, 7938, 7938, 12, 11, {132, 88, 20, 26, 0, 4690, 3608, -4690}},
        {"tile 7 wide: 1 pixel", 0, 7, 768, 185, 20320, 147, 146, {146, 0, 1, 114, 0, 20320, 185, -20320}},
        {"tile 6 wide: nothing", 0, 6, 300, 159, 7938, 0, 0, {}},
        {"centre, zero height", 1, 640, 0, 16933, 0, 0, 0, {}},
        {"style 3", 3, 640, 480, 16933, 12700, 0, 0, {}},
    };
    for (const auto& row : rows) {
        const std::vector<RenderCall> calls =
            previewRenderCalls({row.mode, 0, 0, 152, 114, 1024, 768, row.w, row.h, row.hmW, row.hmH, 96, 96});
        ASSERT_EQ(row.count, calls.size()) << row.name;
        if (row.count) {
            EXPECT_TRUE(row.call == calls[row.index]) << row.name;
        }
    }
}

}  // namespace
