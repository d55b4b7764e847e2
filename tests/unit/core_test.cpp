// The Win32-free logic, natively under the sanitizers and under Wine alike.

#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/tray_tip.h"
#include "rotation/interval_table.h"
#include "rotation/wallpaper_history.h"
#include "rotation/wallpaper_list.h"
#include "settings/filelist_section.h"
#include "ui/file_selection.h"
#include "ui/preview_geometry.h"

namespace {

using Strings = std::vector<std::wstring>;

// Folders (their pictures by relative name) and pictures gone since.
struct FakeDisk : PictureSource {
    std::map<std::wstring, Strings> folders;
    std::set<std::wstring> gone;
    bool readFolder(FolderPictures& pictures) override
    {
        const auto folder = folders.find(pictures.folder());
        for (const std::wstring& name : folder == folders.end() ? Strings() : folder->second)
            pictures.add(name.c_str(), name.size());
        return folder != folders.end();
    }
    bool exists(const wchar_t* path) override { return ++looks, gone.count(path) == 0; }
    int looks = 0;
};
const WallpaperList::Taken kNoneTaken = [](const wchar_t*) { return false; };

TEST(WallpaperList, CursorWalksWrapsAndRefusesWhatDoesNotFit)
{
    WallpaperList list;
    list.advance();
    EXPECT_EQ(nullptr, list.current());
    FakeDisk disk;
    EXPECT_EQ(nullptr, list.nextPicture(kAtRandom, disk, kNoneTaken));
    list.append(nullptr);
    list.append(L"");
    list.append(std::wstring(260, L'x').c_str());
    EXPECT_TRUE(list.isEmpty());
    for (const wchar_t* path : {L"1", L"\u5c71\U0001F600", L"3"})  // 山 and an emoji, kept as they are
        list.append(path);
    list.advance();
    list.advance();
    list.append(std::wstring(259, L'4').c_str());
    Strings walked;  // count() steps from the cursor, as the save walks; the last wraps to the first
    for (int32_t i = 0, n = list.count(); i <= n; ++i, list.advance())
        walked.emplace_back(list.current());
    EXPECT_EQ((Strings{L"3", std::wstring(259, L'4'), L"1", L"\u5c71\U0001F600", L"3"}), walked);
}

// Random order: the pick becomes the cursor, never the one shown just before (with two or more), and
// every picture comes in its turn (prime counts: picks within a second move alike); the one left where
// other monitors show the rest, though shown just before.
TEST(WallpaperList, RandomPickNeverRepeatsAndReachesEveryPicture)
{
    for (int entries : {1, 2, 3, 5}) {
        WallpaperList list;
        FakeDisk disk;
        for (int i = 0; i < entries; ++i)
            list.append(std::to_wstring(i).c_str());
        std::set<std::wstring> seen;
        std::wstring shown = list.current();
        for (int pick = 0; pick < 100; ++pick) {
            const wchar_t* picked = list.nextPicture(kAtRandom, disk, kNoneTaken);
            ASSERT_NE(nullptr, picked);
            EXPECT_EQ(picked, list.current()) << entries << " entries";
            EXPECT_TRUE(entries == 1 || shown != picked) << entries << " entries: " << picked << " twice";
            seen.insert(shown = picked);
        }
        EXPECT_EQ(static_cast<size_t>(entries), seen.size());
        EXPECT_EQ(shown, list.nextPicture(kAtRandom, disk, [&](const wchar_t* path) { return shown != path; }));
    }
}

// Previous: the twenty steps before the one shown, newest first, whole, each once;
// a step shown after going back has the one gone back to before it.
TEST(WallpaperHistory, StepsBackThroughTheTwentyBeforeNewestFirst)
{
    WallpaperHistory history;
    EXPECT_EQ(nullptr, history.stepBack());
    for (int i = 1; i <= 25; ++i)
        history.record({std::to_wstring(i), {{L"L", L"left " + std::to_wstring(i)}}});
    for (int i = 24; i >= 5; --i) {
        const ShownStep* step = history.stepBack();
        ASSERT_TRUE(step && step->picture == std::to_wstring(i) && step->monitors.at(0).picture == L"left " + step->picture);
    }
    history.record({L"next", {}});
    EXPECT_EQ(L"5", history.stepBack()->picture);
    EXPECT_EQ(nullptr, history.stepBack());
}

// In sequence a folder gives its pictures (subfolders too) where it stands, read again at each pass: a
// new one comes, a gone, excluded or unreadable one costs no step. Never again takes a file out of the
// list, a folder's picture into the excluded ones.
TEST(WallpaperList, FoldersInSequenceReadAgainAtEachPass)
{
    WallpaperList list;
    FakeDisk disk;
    disk.folders[L"F\\"] = {L"x", L"sub\\y"};
    for (const wchar_t* row : {L"a", L"F\\", L"gone\\", L"b"})
        list.append(row);
    Strings shown;
    const auto step = [&](int times) {
        for (int i = 0; i < times; ++i, list.passPicture(kInSequence))
            shown.emplace_back(list.nextPicture(kInSequence, disk, kNoneTaken));
    };
    step(3);
    disk.folders[L"F\\"] = {L"x", L"sub\\y", L"z"};
    disk.gone.insert(L"F\\sub\\y");
    step(5);
    EXPECT_TRUE(list.neverAgain(L"a"));
    EXPECT_TRUE(list.neverAgain(L"F\\x"));
    EXPECT_FALSE(list.neverAgain(L"elsewhere"));
    step(2);
    EXPECT_EQ((Strings{L"a", L"F\\x", L"F\\sub\\y", L"b", L"a", L"F\\x", L"F\\z", L"b", L"F\\z", L"b"}), shown);
    EXPECT_EQ(Strings{L"F\\x"}, list.excluded());
    // A restart goes on in the first folder where the rotation stood.
    WallpaperList restarted;
    for (const wchar_t* row : {L"a", L"F\\", L"b"})
        restarted.append(row);
    restarted.resumeInFirstFolder(L"sub\\y");
    EXPECT_STREQ(L"sub\\y", restarted.folderPlace()) << "saved again before the first step";
    EXPECT_STREQ(L"F\\z", restarted.nextPicture(kInSequence, disk, kNoneTaken)) << "sub\\y is gone: the next";
    EXPECT_STREQ(L"z", restarted.folderPlace());
}

// A folder gone since its read (a disk unplugged): in every order a few of its
// pictures are looked for, then it is read again, not each of its thousand.
TEST(WallpaperList, AFolderGoneSinceItsReadCostsAFewLooks)
{
    for (int32_t order : {kInSequence, kAtRandom, kShuffled}) {
        WallpaperList list;
        FakeDisk disk;
        for (int i = 0; i < 1000; ++i)
            disk.folders[L"F\\"].push_back(std::to_wstring(i));
        list.append(L"F\\");
        list.append(L"a");
        list.nextPicture(order, disk, kNoneTaken);
        list.passPicture(order);
        for (const std::wstring& name : disk.folders[L"F\\"])
            disk.gone.insert(L"F\\" + name);
        disk.folders.clear();
        disk.looks = 0;
        EXPECT_STREQ(L"a", list.nextPicture(order, disk, kNoneTaken)) << "order " << order;
        EXPECT_LE(disk.looks, 8) << "order " << order;
    }
}

// Shuffled, each round shows every picture once (a gone or excluded one
// counts as shown), and the next never opens with the one that ended it.
TEST(WallpaperList, ShuffleShowsEachOncePerRound)
{
    const struct { const char* name; Strings rows, folder, gone; std::set<std::wstring> round; } rows[] = {
        {"five files", {L"1", L"2", L"3", L"4", L"5"}, {}, {}, {L"1", L"2", L"3", L"4", L"5"}},
        {"one file", {L"1"}, {}, {}, {L"1"}},
        {"files and a folder", {L"1", L"F\\", L"2"}, {L"x", L"s\\y", L"z", L"w"}, {L"F\\z"},
         {L"1", L"2", L"F\\x", L"F\\s\\y"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WallpaperList list;
        FakeDisk disk;
        disk.folders[L"F\\"] = row.folder;
        disk.gone.insert(row.gone.begin(), row.gone.end());
        for (const std::wstring& path : row.rows)
            list.append(path.c_str());
        list.exclude(L"F\\w");
        std::wstring last;
        for (int round = 0; round < 40; ++round) {  // a round opening with the last at 1 in 5 is seen
            std::set<std::wstring> seen;
            for (size_t i = 0; i < row.round.size(); ++i) {
                const std::wstring picked = list.nextPicture(kShuffled, disk, kNoneTaken);
                EXPECT_TRUE(row.round.size() == 1 || picked != last) << picked << " twice";
                seen.insert(last = picked);
            }
            EXPECT_EQ(row.round, seen);
        }
    }
}

// A picture added during a round joins it; the round read back after a
// restart goes on where it was.
TEST(WallpaperList, ShuffleRoundTakesNewPicturesAndIsRestored)
{
    WallpaperList list;
    FakeDisk disk;
    for (const wchar_t* path : {L"1", L"2", L"3", L"4"})
        list.append(path);
    std::set<std::wstring> shown = {list.nextPicture(kShuffled, disk, kNoneTaken)};
    list.append(L"5");
    shown.insert(list.nextPicture(kShuffled, disk, kNoneTaken));
    WallpaperList restarted;
    for (const wchar_t* path : {L"1", L"2", L"3", L"4", L"5"})
        restarted.append(path);
    restarted.round().restore(list.round().order());
    for (int i = 0; i < 3; ++i)
        shown.insert(restarted.nextPicture(kShuffled, disk, kNoneTaken));
    EXPECT_EQ((std::set<std::wstring>{L"1", L"2", L"3", L"4", L"5"}), shown);
}

// Each row lasts what its labels say (5秒 and 5 seconds, 1分钟 and 1 minute, ...).
TEST(IntervalTable, EveryRowLastsWhatItsLabelsSay)
{
    const char* const labels[kIntervalCount] = {"5s",  "15s", "30s", "45s", "1m",  "2m", "3m", "5m", "10m", "15m",
                                                "20m", "25m", "30m", "45m", "1h", "2h", "3h", "5h", "8h",  "12h"};
    const struct { std::wstring chinese, english; int seconds; } units[] = {
        {L"\u79d2", L" second", 1}, {L"\u5206\u949f", L" minute", 60}, {L"\u5c0f\u65f6", L" hour", 3600}};
    for (int row = 0; row < kIntervalCount; ++row) {
        const std::string label = labels[row];
        const auto& unit = units[std::string("smh").find(label.back())];
        const int number = std::stoi(label);
        EXPECT_EQ(std::to_wstring(number) + unit.chinese, kIntervalTable[row].label) << "row " << row;
        EXPECT_EQ(std::to_wstring(number) + unit.english + (number == 1 ? L"" : L"s"), kIntervalTable[row].englishLabel)
            << "row " << row;
        EXPECT_EQ(number * unit.seconds, kIntervalTable[row].seconds) << "row " << row;
    }
}

// Rows the profile functions cannot produce, and keys that must not reach
// past the index (the sanitizers watch); the rest is the in-process differential.
TEST(FileListSection, ResolvesKeysAsPerKeyReads)
{
    const struct { const char* name; Strings lines, expected; } rows[] = {
        {"leading zeros and signs are other keys", {L"00=X", L"+0=Y", L"0=A", L"01=Z"}, {L"A"}},
        {"empty quotes end the list", {L"0=A", L"1=\"\"", L"2=C"}, {L"A"}},
        {"blanks around keys and values, as Windows may hand them", {L" 0 = A ", L"\t1\t=\t\"B C\"\t", L"2 =C"},
         {L"A", L"B C", L"C"}},
        {"keys at and beyond the line count", {L"0=A", L"3=X", L"4294967296=Y"}, {L"A"}},
    };
    for (const auto& row : rows) {
        std::wstring text;
        for (const std::wstring& line : row.lines)
            text += line + L'\0';
        Strings paths;
        resolveFileList(text.data(), text.size() + 1,
                        [](const wchar_t* p, void* out) { static_cast<Strings*>(out)->emplace_back(p); }, &paths);
        EXPECT_EQ(row.expected, paths) << row.name;
    }
}

TEST(FileSelection, ReadsOneOrSeveralFiles)
{
    const auto raw = [](const wchar_t* s, size_t n) { return std::wstring(s, n); };
    const std::wstring folder248 = L"C:\\" + std::wstring(245, 'd'), path259 = L"C:\\" + std::wstring(252, 'p') + L".jpg";
    const struct { const char* name; std::wstring buffer; size_t fileOffset; Strings expected; } rows[] = {
        {"drive root keeps one backslash", raw(L"C:\\\0a.jpg\0\0", 11), 4, {L"C:\\a.jpg"}},
        {"single path of 259 characters", path259 + L'\0', 3, {path259}},
        {"joined paths over 259 characters kept whole, for the dialog to refuse",
         folder248 + L'\0' + L"a.jpg" + L'\0' + L"a-much-longer-name.jpg" + L'\0' + L'\0', folder248.size() + 1,
         {folder248 + L"\\a.jpg", folder248 + L"\\a-much-longer-name.jpg"}},
    };
    for (const auto& row : rows) {
        std::unique_ptr<wchar_t[]> buffer(new wchar_t[row.buffer.size()]);  // exact: the sanitizers see a read past it
        std::wmemcpy(buffer.get(), row.buffer.data(), row.buffer.size());
        EXPECT_TRUE(row.expected == selectedPaths(buffer.get(), row.buffer.size(), row.fileOffset)) << row.name;
    }
}

// A 1024 x 768 screen drawn into the 152 x 114 area, at the bottom right of a 2048 x 1152 desktop. Each
// row: the picture's pixels and HIMETRIC size (as at 96 dpi), the number of calls and one of them.
TEST(PreviewGeometry, RenderCallsOfEveryStyle)
{
    const struct { const char* name; int32_t mode, w, h, hmW, hmH; size_t count, index; RenderCall call; } rows[] = {
        {"stretch, drawn from the top edge", 2, 640, 480, 16933, 12700, 1, 0, {0, 0, 152, 114, 0, 12700, 16933, -12700}},
        {"centre cut to the screen: the middle", 1, 1600, 1200, 42333, 31750, 1, 0, {0, 0, 152, 114, 7619, 26035, 27094, -20320}},
        {"tile 300x300, last column and row cut to their top left", 0, 300, 300, 7938, 7938, 12, 11, {132, 88, 20, 26, 0, 7938, 3608, -4690}},
        {"fit 2048x512: bands above and below", 3, 2048, 512, 54187, 13547, 1, 0, {0, 38, 152, 38, 0, 13547, 54187, -13547}},
        {"fit 300x600: bands left and right", 3, 300, 600, 7938, 15875, 1, 0, {47, 0, 57, 114, 0, 15875, 7938, -15875}},
        {"fill 2048x512: the middle third", 4, 2048, 512, 54187, 13547, 1, 0, {0, 0, 152, 114, 18062, 13547, 18062, -13547}},
        {"fill 300x600: the middle, drawn from its top", 4, 300, 600, 7938, 15875, 1, 0, {0, 0, 152, 114, 0, 10915, 7938, -5954}},
        {"tile 6 wide: nothing", 0, 6, 300, 159, 7938, 0, 0, {}},
        {"span: the picture's right half, its lower two thirds", 5, 640, 480, 16933, 12700, 1, 0, {0, 0, 152, 114, 8466, 8467, 8467, -8467}},
        {"centre, zero height", 1, 640, 0, 16933, 0, 0, 0, {}},
    };
    for (const auto& row : rows) {
        const std::vector<RenderCall> calls =
            previewRenderCalls({row.mode, 0, 0, 152, 114, 1024, 768, row.w, row.h, row.hmW, row.hmH, -1024, -384, 2048, 1152});
        ASSERT_EQ(row.count, calls.size()) << row.name;
        EXPECT_TRUE(!row.count || row.call == calls[row.index]) << row.name;
    }
}

// The size a picture is kept at for the 152 x 114 area.
TEST(PreviewGeometry, KeptPictureSize)
{
    const struct { const char* name; PixelSize screen, picture, kept; } rows[] = {
        {"a 6000 x 4000 photo: at the screen's scale", {1024, 768}, {6000, 4000}, {891, 594}},
        {"a 2048 x 512 panorama filling the screen by its height", {1024, 768}, {2048, 512}, {456, 114}},
        {"16 x 16: never larger than itself", {1024, 768}, {16, 16}, {16, 16}},
        {"no screen: nothing", {0, 768}, {640, 480}, {0, 0}},
    };
    for (const auto& row : rows)
        EXPECT_TRUE(row.kept == keptPictureSize({152, 114}, row.screen, row.picture)) << row.name;
}

}  // namespace

// The tooltip cut to the shell's 64 characters, whole characters only; where
// '&' is a mnemonic prefix, doubled (and the pair kept whole).
TEST(TrayTip, NamesThePictureWithinTheFieldAndCutsWholeCharacters)
{
    const std::wstring emoji = L"\xD83D\xDE00", a50(50, L'a');  // U+1F600 as Windows holds it
    const struct { const char* name; std::wstring path; bool escape; std::wstring expected; } rows[] = {
        {"63 characters fit", L"C:\\" + std::wstring(54, L'a'), false, L"Tavrel - " + std::wstring(54, L'a')},
        {"cut, 60 characters and the dots", L"C:\\" + std::wstring(55, L'a'), false,
         L"Tavrel - " + std::wstring(51, L'a') + L"..."},
        {"cut before a surrogate pair", L"C:\\" + a50 + emoji + L"bcdef", false, L"Tavrel - " + a50 + L"..."},
        {"the escapes counted, the pair not split", L"C:\\" + a50 + L"&bcdef", true, L"Tavrel - " + a50 + L"..."},
    };
    for (const auto& row : rows) {
        wchar_t tip[kTrayTipSize];  // the sanitizers see a write past it
        trayTipText(tip, L"Tavrel", row.path.c_str(), row.escape);
        EXPECT_TRUE(row.expected == tip) << row.name;
    }
}
