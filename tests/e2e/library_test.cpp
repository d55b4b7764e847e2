// Folders that stay current, shuffle and never again, on the real program.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "driver.h"

namespace {

using Strings = driver::Strings;
constexpr int kAddFolder = 1025, kExcluded = 1026, kShuffle = 1027, kRestore = 1041;

std::set<std::string> pictures(const Strings& shown, size_t first, size_t end)
{
    return {shown.begin() + static_cast<long>(first), shown.begin() + static_cast<long>(end)};
}

// A folder with a subfolder rotates in sequence where it stands in the list (a text file and a hidden picture not
// among its pictures); a missing folder costs no step. A picture copied in comes at the next pass, a deleted one
// never reaches the shell. Never again takes the list's file out of the list and the folder's picture into
// [EXCLUDED], over a restart, the next picture coming at once; the settings dialog brings it back; Shuffle is saved.
TEST(Library, FolderStaysCurrentAndNeverAgainHolds)
{
    driver::AppFolder folder("library");
    const std::string home = folder.path(), pics = home + "\\pics\\", list = home + "\\list.bmp";
    ASSERT_TRUE(CreateDirectoryA(pics.c_str(), nullptr) && CreateDirectoryA((pics + "sub").c_str(), nullptr));
    const std::string bmp = driver::bmpBytes(4, 4, RGB(200, 0, 0), RGB(0, 0, 200));
    for (const std::string& name : {list, pics + "a.bmp", pics + "sub\\b.JPG", pics + "notes.txt", pics + "h.png"})
        ASSERT_TRUE(driver::writeFileBytes(name, bmp));
    SetFileAttributesA((pics + "h.png").c_str(), FILE_ATTRIBUTE_HIDDEN);
    const std::string missing = home + "\\missing\\", folders = "[FOLDERS]\r\n0=" + pics + "\r\n1=" + missing + "\r\n";
    // Saved from the step's place round, as the list is.
    const auto savedWith = [&](const std::string& before, const std::string& after) {
        const std::string saved = folder.readIni();
        return saved == before + folders + after ||
               saved == before + "[FOLDERS]\r\n0=" + missing + "\r\n1=" + pics + "\r\n" + after;
    };
    folder.writeIni(driver::iniText(1, 0, 19, 0, 0, {list}) + folders);
    std::string excluded, kept;
    {
        driver::Tavrel app(folder);
        for (int i = 0; i < 3; ++i)
            app.tick();
        ASSERT_TRUE(folder.waitWallpapers(4));
        ASSERT_TRUE(driver::writeFileBytes(pics + "sub\\c.png", bmp) && DeleteFileA((pics + "a.bmp").c_str()));
        for (int i = 0; i < 3; ++i)
            app.tick();
        ASSERT_TRUE(folder.waitWallpapers(7));
        app.command(driver::kNeverAgain);
        ASSERT_TRUE(folder.waitWallpapers(8));
        app.command(driver::kNeverAgain);
        ASSERT_TRUE(folder.waitWallpapers(9));
        const Strings shown = folder.wallpapersSet();
        EXPECT_EQ((Strings{list, list, list}), (Strings{shown[0], shown[3], shown[6]}));
        EXPECT_EQ((std::set<std::string>{pics + "a.bmp", pics + "sub\\b.JPG"}), pictures(shown, 1, 3));
        EXPECT_EQ((std::set<std::string>{pics + "sub\\b.JPG", pics + "sub\\c.png"}), pictures(shown, 4, 6));
        EXPECT_EQ(pictures(shown, 4, 6), pictures(shown, 7, 9));
        excluded = shown[7];
        kept = shown[8];
        ASSERT_EQ(0u, app.exit().value_or(99));
    }
    EXPECT_TRUE(savedWith(driver::iniText(1, 0, 19, 0, 0), "[EXCLUDED]\r\n0=" + excluded + "\r\n")) << folder.readIni();
    {
        driver::Tavrel app(folder);
        app.tick();
        ASSERT_TRUE(folder.waitWallpapers(11));
        EXPECT_EQ((Strings{kept, kept}), (Strings{folder.wallpapersSet()[9], folder.wallpapersSet()[10]}));
        HWND dialog = app.open(driver::kSettings, driver::kSettingsTitle);
        ASSERT_NE(nullptr, dialog);
        app.command(driver::kNeverAgain);  // held while the dialog is open
        ASSERT_TRUE(CreateDirectoryA((home + "\\more").c_str(), nullptr));
        driver::addThroughFileDialog(app, dialog, {home + "\\more"}, nullptr, kAddFolder);
        EXPECT_EQ(home + "\\more\\", driver::rowsOf(dialog, 1000).back());
        driver::clickMiddle(GetDlgItem(dialog, kShuffle));
        driver::clickMiddle(GetDlgItem(dialog, kExcluded));
        HWND restore = driver::otherDialog(app, dialog);
        ASSERT_NE(nullptr, restore);
        EXPECT_EQ(Strings{excluded}, driver::rowsOf(restore, 1040));
        driver::captureScreen().save("excluded-pictures");
        driver::clickMiddle(GetDlgItem(restore, kRestore));
        EXPECT_TRUE(driver::waitUntil([&] { return driver::rowsOf(restore, 1040).empty(); }));
        ASSERT_TRUE(driver::closeDialog(restore));
        ASSERT_TRUE(driver::closeDialog(dialog, IDOK));
        ASSERT_EQ(0u, app.exit().value_or(99));
    }
    const std::string saved = folder.readIni();  // the added folder too, in whatever place
    EXPECT_EQ(0u, saved.find(driver::iniText(1, 2, 19, 0, 0) + "[FOLDERS]\r\n")) << saved;
    for (const std::string& row : {pics, missing, home + "\\more\\"})
        EXPECT_NE(std::string::npos, saved.find("=" + row + "\r\n")) << row;
    EXPECT_EQ(std::string::npos, saved.find("[EXCLUDED]")) << saved;
}

// Shuffled, five pictures come once each a round, never twice in a row; the round's place is kept over a restart.
TEST(Library, ShuffleShowsEachOnceAndKeepsItsPlace)
{
    driver::AppFolder folder("shuffle");
    Strings files;
    for (char name = '1'; name <= '5'; ++name)
        files.push_back(folder.path() + "\\" + name + ".bmp");
    folder.writeIni(driver::iniText(1, 2, 19, 0, 0, files));
    for (const size_t shown : {14, 16}) {  // a restart after four of the third round
        driver::Tavrel app(folder);
        for (size_t i = shown == 14 ? 1 : 15; i < shown; ++i)
            app.tick();
        ASSERT_TRUE(folder.waitWallpapers(shown));
        ASSERT_EQ(0u, app.exit().value_or(99));
        const std::string saved = folder.readIni();  // the round so far, one line each after its heading
        const size_t round = saved.find("[SHUFFLED]\r\n");
        ASSERT_NE(std::string::npos, round);
        EXPECT_EQ(shown == 14 ? 5 : 2, std::count(saved.begin() + static_cast<long>(round), saved.end(), '\n'));
    }
    const Strings shown = folder.wallpapersSet();
    const std::set<std::string> all(files.begin(), files.end());
    for (size_t round = 0; round < 3; ++round)
        EXPECT_EQ(all, pictures(shown, round * 5, round * 5 + 5)) << "round " << round;
    for (size_t i = 1; i < shown.size(); ++i)
        EXPECT_NE(shown[i - 1], shown[i]) << i;

    // In sequence a folder's place is kept as well: after three of its five, a restart shows the other two.
    const std::string pics = folder.path() + "\\pics\\";
    CreateDirectoryA(pics.c_str(), nullptr);
    for (char name = '1'; name <= '5'; ++name)
        driver::writeFileBytes(pics + name + ".bmp", "");
    folder.writeIni(driver::iniText(1, 0, 19, 0, 0) + "[FOLDERS]\r\n0=" + pics + "\r\n");
    for (const size_t total : {19, 21}) {  // the start's picture, then ticks
        driver::Tavrel app(folder);
        for (size_t i = total == 19 ? 17 : 20; i < total; ++i)
            app.tick();
        ASSERT_TRUE(folder.waitWallpapers(total));
        ASSERT_EQ(0u, app.exit().value_or(99));
    }
    EXPECT_EQ(5u, pictures(folder.wallpapersSet(), 16, 21).size());
}

}  // namespace
