// The tray program as a person uses it: real clicks on the icon Wine's
// taskbar draws and on its menu, the dialogs' guards, the rotation around
// the dialogs, and the About box.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "driver.h"

namespace {

const char kMenuClass[] = "#32768";

void closeDialog(HWND dialog)
{
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(driver::waitGone(dialog));
}

TEST(Tray, IconOpensTheMenuAndExitsByRealClicks)
{
    driver::AppFolder folder("tray-menu");
    driver::Tavrel app(folder);
    driver::runUnix("/usr/bin/xdotool mousemove 512 300");  // away, so that no tooltip covers the icon
    const auto icon = driver::waitForTrayIcon(true);
    ASSERT_TRUE(icon.has_value()) << "no icon on the taskbar";
    const int x = (icon->left + icon->right) / 2, y = (icon->top + icon->bottom) / 2;
    driver::xdotoolClick(x, y, 1, 3);  // a click, then a double click
    Sleep(700);
    EXPECT_EQ(nullptr, driver::waitShown(app.pid(), driver::kDialogClass, nullptr, 0)) << "left clicks opened a dialog";
    EXPECT_EQ(nullptr, driver::waitShown(0, kMenuClass, nullptr, 0)) << "left clicks opened a menu";
    driver::xdotoolClick(x, y, 3);
    HWND menu = driver::waitShown(app.pid(), kMenuClass);
    ASSERT_NE(nullptr, menu) << "a right click on the icon opened no menu";
    Sleep(500);
    driver::captureScreen().save("tray_menu");
    driver::xdotoolClick(512, 300);  // elsewhere: closes it, as the program's SetForegroundWindow allows
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindowVisible(menu); }, 5000)) << "a click elsewhere left it open";

    // Exit, the last item, clicked: the settings saved, the icon gone, code 0.
    driver::xdotoolClick(x, y, 3);
    ASSERT_NE(nullptr, menu = driver::waitShown(app.pid(), kMenuClass));
    Sleep(300);
    ASSERT_EQ("<no file>", folder.readIni());
    RECT box = {};
    GetWindowRect(menu, &box);
    driver::xdotoolClick(box.left + 20, box.bottom - 10);
    EXPECT_EQ(0u, app.waitExit().value_or(1)) << "Exit did not end the program with 0";
    EXPECT_NE("<no file>", folder.readIni()) << "Exit did not save";
    EXPECT_FALSE(driver::findTrayIcon(driver::captureScreen()).has_value()) << "icon left behind";
}

// Every 5 s. Each dialog opens once; nothing changes while the settings
// dialog is open; About closed over it restarts the rotation, a full interval
// before the next change; Settings again brings the covered dialog to the
// front (it has no taskbar button).
TEST(Tray, DialogsOpenOnceAndTheRotationWaitsForThem)
{
    driver::AppFolder folder("tray-dialogs", true);
    const std::string pictures = folder.path() + "\\WallPaper\\1024_768\\";
    folder.writeIni(driver::iniText(2, 0, 0, 0, 0, {pictures + "night.jpg", pictures + "tile_violet.gif"}));
    driver::Tavrel app(folder);
    ASSERT_TRUE(folder.waitWallpapers(1));
    HWND settings = app.open(driver::kSettings, driver::kSettingsTitle);
    ASSERT_NE(nullptr, settings);
    Sleep(5500);
    EXPECT_EQ(1u, folder.wallpapersSet().size()) << "changed while the settings dialog was open";
    HWND about = app.open(driver::kAbout, "");
    ASSERT_NE(nullptr, about) << "About did not open over the settings dialog";
    for (WORD again : {driver::kSettings, driver::kAbout})
        app.command(again);
    Sleep(700);
    const std::vector<HWND> dialogs = driver::windowsOf(app.pid(), "", driver::kDialogClass);
    EXPECT_EQ(2, std::count_if(dialogs.begin(), dialogs.end(), IsWindowVisible)) << "a dialog opened twice";
    closeDialog(about);
    const ULONGLONG closed = GetTickCount64();
    EXPECT_TRUE(IsWindowVisible(settings)) << "closing About closed the settings dialog";
    ASSERT_TRUE(folder.waitWallpapers(2, 10000)) << "no change after About closed";
    EXPECT_GE(GetTickCount64() - closed, 4500u) << "not a full interval";
    EXPECT_LE(GetTickCount64() - closed, 7500u);

    HWND cover = CreateWindowExA(0, "STATIC", "cover", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768, nullptr, nullptr,
                                 nullptr, nullptr);
    SetForegroundWindow(cover);
    ASSERT_TRUE(driver::waitUntil([&] { return GetForegroundWindow() == cover; }));
    app.command(driver::kSettings);
    EXPECT_TRUE(driver::waitUntil([&] { return GetForegroundWindow() == settings; })) << "still covered";
    DestroyWindow(cover);
    closeDialog(settings);
    EXPECT_EQ(0u, app.exit().value_or(1));
}

// Each row opens the box anew; the last is left open for Exit.
TEST(About, TakesItsPicturesSizeAndClosesOnAClickEnterAndEscapeOnly)
{
    driver::AppFolder folder("about");
    driver::Tavrel app(folder);
    const struct { const char* name; const char* key; } rows[] = {  // no key: a click on the version text
        {"click", nullptr}, {"Enter", "Return"}, {"Escape", "Escape"}, {"Exit while open", nullptr}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        HWND about = app.open(driver::kAbout, "");
        ASSERT_NE(nullptr, about);
        RECT placed = {};
        GetWindowRect(about, &placed);
        EXPECT_EQ(420, placed.right - placed.left);
        EXPECT_EQ(240, placed.bottom - placed.top);  // the size of its picture
        if (&row == rows)
            driver::captureScreen().save("about_dialog");
        if (&row == std::end(rows) - 1) {  // carried out inside the box's own loop
            EXPECT_EQ(0u, app.exit().value_or(1));
        } else if (row.key) {
            SetForegroundWindow(about);
            ASSERT_TRUE(driver::waitUntil([&] { return GetForegroundWindow() == about; }, 3000));
            driver::xdotoolKey("a space Tab Down F1");
            Sleep(500);
            EXPECT_TRUE(IsWindowVisible(about)) << "another key closed it";
            driver::xdotoolKey(row.key);
        } else {
            driver::clickMiddle(FindWindowExA(about, nullptr, "Static", "Tavrel " TAVREL_TEST_VERSION));
        }
        ASSERT_TRUE(driver::waitGone(about, 5000)) << "did not close About";
    }
}

}  // namespace
