// The Win32-free logic: playlist, random pick, interval table, FILELIST
// resolver, file-open selection buffer, preview arithmetic.

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/tray_tip.h"
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

// What a user sees of random order: a picture of the list, never the one
// shown just before (with two or more), which the pick then replaces, and
// every picture in its turn. Picks within a second move alike, so the counts
// are prime: any move reaches every picture.
TEST(WallpaperList, RandomPickNeverRepeatsAndReachesEveryPicture)
{
    for (int entries : {1, 2, 3, 5}) {
        WallpaperList list;
        for (int i = 0; i < entries; ++i)
            list.append(std::to_string(i).c_str());
        std::set<std::string> seen;
        std::string shown = list.current();
        for (int pick = 0; pick < 100; ++pick) {
            const char* picked = list.pickRandom();
            ASSERT_NE(nullptr, picked);
            EXPECT_EQ(picked, list.current()) << entries << " entries";
            EXPECT_LT(std::stoi(picked), entries);
            EXPECT_TRUE(entries == 1 || shown != picked) << entries << " entries: " << picked << " twice";
            seen.insert(shown = picked);
        }
        EXPECT_EQ(static_cast<size_t>(entries), seen.size());
    }
}

// Each row lasts what its labels say (5秒 and 5 seconds, 1分钟 and 1 minute, ...).
TEST(IntervalTable, EveryRowLastsWhatItsLabelsSay)
{
    const char* const labels[kIntervalCount] = {"5s",  "15s", "30s", "45s", "1m",  "2m", "3m", "5m", "10m", "15m",
                                                "20m", "25m", "30m", "45m", "1h", "2h", "3h", "5h", "8h",  "12h"};
    const struct { std::string chinese, english; int seconds; } units[] = {
        {"\xC3\xEB", " second", 1}, {"\xB7\xD6\xD6\xD3", " minute", 60}, {"\xD0\xA1\xCA\xB1", " hour", 3600}};
    for (int row = 0; row < kIntervalCount; ++row) {
        const std::string label = labels[row];
        const auto& unit = units[std::string("smh").find(label.back())];
        const int number = std::stoi(label);
        EXPECT_EQ(std::to_string(number) + unit.chinese, kIntervalTable[row].label) << "row " << row;
        EXPECT_EQ(std::to_string(number) + unit.english + (number == 1 ? "" : "s"), kIntervalTable[row].englishLabel)
            << "row " << row;
        EXPECT_EQ(number * unit.seconds, kIntervalTable[row].seconds) << "row " << row;
    }
}

// Rows the profile functions cannot produce, and keys that must not reach
// past the index (the sanitizers watch); the rest is the in-process differential.
TEST(FileListSection, ResolvesKeysAsPerKeyReads)
{
    const struct { const char* name; Strings lines, expected; } rows[] = {
        {"leading zeros and signs are other keys", {"00=X", "+0=Y", "0=A", "01=Z"}, {"A"}},
        {"empty quotes end the list", {"0=A", "1=\"\"", "2=C"}, {"A"}},
        {"blanks around keys and values, as Windows may hand them", {" 0 = A ", "\t1\t=\t\"B C\"\t", "2 =C"},
         {"A", "B C", "C"}},
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
    using Paths = std::vector<std::wstring>;
    const auto raw = [](const wchar_t* s, size_t n) { return std::wstring(s, n); };
    const std::wstring folder248 = L"C:\\" + std::wstring(245, 'd'), path259 = L"C:\\" + std::wstring(252, 'p') + L".jpg";
    const struct { const char* name; std::wstring buffer; size_t fileOffset; Paths expected; } rows[] = {
        {"drive root keeps one backslash", raw(L"C:\\\0a.jpg\0\0", 11), 4, {L"C:\\a.jpg"}},
        {"single path of 259 characters", path259 + L'\0', 3, {path259}},
        {"joined paths over 259 characters left out",
         folder248 + L'\0' + L"a.jpg" + L'\0' + L"a-much-longer-name.jpg" + L'\0' + L'\0', folder248.size() + 1,
         {folder248 + L"\\a.jpg"}},
    };
    for (const auto& row : rows) {
        // A block of exactly the buffer's size, so the sanitizers see any read past it.
        std::unique_ptr<wchar_t[]> buffer(new wchar_t[row.buffer.size()]);
        std::wmemcpy(buffer.get(), row.buffer.data(), row.buffer.size());
        EXPECT_TRUE(row.expected == selectedPaths(buffer.get(), row.buffer.size(), row.fileOffset)) << row.name;
    }
}

// A 1024 x 768 screen drawn into the 152 x 114 area; the HIMETRIC sizes as at 96 dpi.
TEST(PreviewGeometry, RenderCallsOfEveryStyle)
{
    // The picture's pixels and HIMETRIC size; the number of calls, and one of them.
    const struct { const char* name; int32_t mode, w, h, hmW, hmH; size_t count, index; RenderCall call; } rows[] = {
        {"stretch, drawn from the top edge", 2, 640, 480, 16933, 12700, 1, 0, {0, 0, 152, 114, 0, 12700, 16933, -12700}},
        {"centre cut to the screen: the middle", 1, 1600, 1200, 42333, 31750, 1, 0, {0, 0, 152, 114, 7619, 26035, 27094, -20320}},
        {"tile 300x300, last column and row cut to their top left", 0, 300, 300, 7938, 7938, 12, 11, {132, 88, 20, 26, 0, 7938, 3608, -4690}},
        {"fit 2048x512: bands above and below", 3, 2048, 512, 54187, 13547, 1, 0, {0, 38, 152, 38, 0, 13547, 54187, -13547}},
        {"fit 300x600: bands left and right", 3, 300, 600, 7938, 15875, 1, 0, {47, 0, 57, 114, 0, 15875, 7938, -15875}},
        {"fill 2048x512: the middle third", 4, 2048, 512, 54187, 13547, 1, 0, {0, 0, 152, 114, 18062, 13547, 18062, -13547}},
        {"fill 300x600: the middle, drawn from its top", 4, 300, 600, 7938, 15875, 1, 0, {0, 0, 152, 114, 0, 10915, 7938, -5954}},
        {"tile 6 wide: nothing", 0, 6, 300, 159, 7938, 0, 0, {}},
        {"centre, zero height", 1, 640, 0, 16933, 0, 0, 0, {}},
    };
    for (const auto& row : rows) {
        const std::vector<RenderCall> calls =
            previewRenderCalls({row.mode, 0, 0, 152, 114, 1024, 768, row.w, row.h, row.hmW, row.hmH});
        ASSERT_EQ(row.count, calls.size()) << row.name;
        if (row.count) {
            EXPECT_TRUE(row.call == calls[row.index]) << row.name;
        }
    }
}

// The size a picture is kept at for the 152 x 114 area.
TEST(PreviewGeometry, KeptPictureSize)
{
    const struct { const char* name; PixelSize screen, picture, kept; } rows[] = {
        {"a 6000 x 4000 photo: at the screen's scale", {1024, 768}, {6000, 4000}, {891, 594}},
        {"640 x 480 filling a 1536 x 1152 screen: the area's size", {1536, 1152}, {640, 480}, {152, 114}},
        {"a 2048 x 512 panorama filling the screen by its height", {1024, 768}, {2048, 512}, {456, 114}},
        {"16 x 16: never larger than itself", {1024, 768}, {16, 16}, {16, 16}},
        {"no screen: nothing", {0, 768}, {640, 480}, {0, 0}},
    };
    for (const auto& row : rows)
        EXPECT_TRUE(row.kept == keptPictureSize({152, 114}, row.screen, row.picture)) << row.name;
}

}  // namespace

// The tooltip in code page 936, whose second bytes may be 0x5C (a backslash),
// for a shell that takes '&' as a prefix, unless the row says otherwise.
TEST(TrayTip, NamesThePictureWithinTheFieldAndCutsWholeCharacters)
{
    const auto gbkLead = [](unsigned char byte) { return byte >= 0x81 && byte != 0xFF; };
    std::string han30, han25;  // 30 and 25 times 图 (0xCD 0xBC)
    for (int i = 0; i < 30; ++i)
        han30 += "\xCD\xBC", han25 += i < 25 ? "\xCD\xBC" : "";
    const struct { const char* name; std::string path, expected; bool prefixes = true; } rows[] = {
        {"nothing shown yet", "", "Tavrel"},
        {"the name after the last backslash", "C:\\pics\\sunset.bmp", "Tavrel - sunset.bmp"},
        {"a second byte 0x5C is no backslash", "D:\\\xD5\x5C.jpg", "Tavrel - \xD5\x5C.jpg"},
        {"63 bytes fit", "C:\\" + std::string(54, 'a'), "Tavrel - " + std::string(54, 'a')},
        {"cut, 60 bytes and the dots", "C:\\" + std::string(55, 'a'), "Tavrel - " + std::string(51, 'a') + "..."},
        {"cut before a character that does not fit whole", "C:\\" + han30, "Tavrel - " + han25 + "..."},
        {"an ampersand doubled, shown as one", "C:\\Tom & Jerry.jpg", "Tavrel - Tom && Jerry.jpg"},
        {"as typed where it is no prefix", "C:\\Tom & Jerry.jpg", "Tavrel - Tom & Jerry.jpg", false},
        {"the doubled one counted and never parted by the cut", "C:\\" + std::string(50, 'a') + "&bbb",
         "Tavrel - " + std::string(50, 'a') + "..."},
    };
    for (const auto& row : rows) {
        char tip[kTrayTipSize];  // the sanitizers see a write past it
        trayTipText(tip, "Tavrel", row.path.c_str(), gbkLead, row.prefixes);
        EXPECT_EQ(row.expected, tip) << row.name;
    }
}
