// The tray program as a person uses it: real clicks on the icon Wine's
// taskbar draws, its menu, the dialogs' guards, the rotation around the
// dialogs, and the About box.

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "driver.h"

namespace {

constexpr WORD kSettings = 32771, kAbout = 32772;
const char kSettingsTitle[] = "\xC9\xE8\xD6\xC3";  // 设置
const char kMenuClass[] = "#32768";

POINT centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

HWND waitDialog(const driver::Tavrel& app, const char* title)  // About is the dialog titled ""
{
    HWND dialog = driver::waitShown(app.pid(), driver::kDialogClass, title);
    Sleep(300);  // painted
    return dialog;
}

void closeDialog(HWND dialog)
{
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(driver::waitGone(dialog)) << "dialog " << dialog << " did not close";
}

// The icon on the taskbar, with the pointer away so that no tooltip covers it.
std::optional<RECT> trayIcon()
{
    driver::runUnix("/usr/bin/xdotool mousemove 512 300");
    return driver::waitForTrayIcon(true);
}

// The real clicks go to the icon added again after a shell restart, so they
// also show that it is the program's working icon.
TEST(Tray, IconBackOnTaskbarCreatedOpensTheMenuAndExitsByRealClicks)
{
    driver::AppFolder folder("tray-menu");
    driver::Tavrel app(folder);
    const auto icon = trayIcon();
    ASSERT_TRUE(icon.has_value()) << "no icon on the taskbar";
    NOTIFYICONDATAA data = {};  // a restarting shell forgets the icon; its broadcast brings it back
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = app.window();
    data.uID = 100;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    ASSERT_FALSE(driver::waitForTrayIcon(false).has_value()) << "the icon did not go";
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    const auto back = trayIcon();
    ASSERT_TRUE(back.has_value()) << "TaskbarCreated did not add the icon again";
    const POINT at = centre(*back);

    for (int repeat : {1, 2}) {
        driver::xdotoolClick(at.x, at.y, 1, repeat);
        Sleep(700);
        EXPECT_EQ(nullptr, driver::waitShown(app.pid(), driver::kDialogClass, nullptr, 0)) << repeat << " left clicks";
        EXPECT_EQ(nullptr, driver::waitShown(0, kMenuClass, nullptr, 0)) << repeat << " left click(s) opened a menu";
    }
    driver::xdotoolClick(at.x, at.y, 3);
    HWND menu = driver::waitShown(app.pid(), kMenuClass);
    ASSERT_NE(nullptr, menu) << "a right click on the icon opened no menu";
    Sleep(500);
    driver::captureScreen().save("tray_menu");
    driver::xdotoolClick(512, 300, 1);  // elsewhere: closes it, as the program's SetForegroundWindow allows
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindowVisible(menu); }, 5000)) << "a click elsewhere left it open";

    // Exit, the last item, clicked: the settings saved, the icon gone, code 0.
    driver::xdotoolClick(at.x, at.y, 3);
    ASSERT_NE(nullptr, menu = driver::waitShown(app.pid(), kMenuClass));
    Sleep(300);
    ASSERT_FALSE(folder.readIni().has_value());
    RECT box = {};
    GetWindowRect(menu, &box);
    driver::xdotoolClick(box.left + 20, box.bottom - 10, 1);
    EXPECT_EQ(0u, app.waitExit().value_or(1)) << "Exit did not end the program with 0";
    EXPECT_TRUE(folder.readIni().has_value()) << "Exit did not save";
    EXPECT_FALSE(driver::findTrayIcon(driver::captureScreen()).has_value()) << "icon left behind";
}

TEST(Tray, EachDialogOpensOnceAndSettingsAgainBringsItToTheFront)
{
    driver::AppFolder folder("tray-guards");
    driver::Tavrel app(folder);
    app.command(kSettings);
    HWND settings = waitDialog(app, kSettingsTitle);
    ASSERT_NE(nullptr, settings);
    app.command(kAbout);
    HWND about = waitDialog(app, "");
    ASSERT_NE(nullptr, about) << "About did not open over the settings dialog";
    for (WORD again : {kSettings, kAbout})
        app.command(again);
    Sleep(700);
    int shown = 0;
    for (HWND dialog : driver::windowsOf(app.pid(), "", driver::kDialogClass))
        shown += IsWindowVisible(dialog) != FALSE;
    EXPECT_EQ(2, shown) << "a dialog opened twice";
    closeDialog(about);
    EXPECT_TRUE(IsWindowVisible(settings)) << "closing About closed the settings dialog";
    // Covered by another program's window, it has no taskbar button: Settings
    // again is the way back to it.
    HWND cover = CreateWindowExA(0, "STATIC", "cover", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768, nullptr, nullptr,
                                 nullptr, nullptr);
    SetForegroundWindow(cover);
    ASSERT_TRUE(driver::waitUntil([&] { return GetForegroundWindow() == cover; }));
    app.command(kSettings);
    EXPECT_TRUE(driver::waitUntil([&] { return GetForegroundWindow() == settings; })) << "still covered";
    DestroyWindow(cover);
    closeDialog(settings);
    app.command(kSettings);  // the guard is down again
    ASSERT_NE(nullptr, settings = waitDialog(app, kSettingsTitle)) << "settings did not open a second time";
    closeDialog(settings);
    EXPECT_EQ(0u, app.exit().value_or(1));
}

// Every 5 s: nothing while the settings dialog is open; About closed over it
// restarts the rotation, a full interval before the next change.
TEST(Tray, RotationStopsUnderTheSettingsAndRestartsAfterAbout)
{
    driver::AppFolder folder("tray-timer", true);
    const std::string pictures = folder.path() + "\\WallPaper\\1024_768\\";
    folder.writeIni(driver::iniText(2, 0, 0, 0, 0, {pictures + "night.jpg", pictures + "tile_violet.gif"}));
    driver::Tavrel app(folder);
    ASSERT_TRUE(driver::waitWallpapers(folder, 1));
    app.command(kSettings);
    HWND settings = waitDialog(app, kSettingsTitle);
    ASSERT_NE(nullptr, settings);
    Sleep(5500);
    EXPECT_EQ(1u, driver::wallpapersSet(folder).size()) << "changed while the settings dialog was open";
    app.command(kAbout);
    HWND about = waitDialog(app, "");
    ASSERT_NE(nullptr, about);
    closeDialog(about);
    const ULONGLONG closed = GetTickCount64();
    ASSERT_TRUE(driver::waitWallpapers(folder, 2, 10000)) << "no change after About closed";
    const ULONGLONG waited = GetTickCount64() - closed;
    EXPECT_GE(waited, 4500u) << "not a full interval";
    EXPECT_LE(waited, 7500u);
    closeDialog(settings);
    EXPECT_EQ(0u, app.exit().value_or(1));
}

// Each row opens the box anew; the last is left open for Exit.
TEST(About, TakesItsPicturesSizeAndClosesOnAClickEnterAndEscapeOnly)
{
    driver::AppFolder folder("about");
    driver::Tavrel app(folder);
    const struct {
        const char* name;
        const char* key;          // or a click
        const char* clickedText;  // a click on this text, or on the picture
    } rows[] = {
        {"click on the picture", nullptr, nullptr},
        {"click on the version text", nullptr, "Tavrel " TAVREL_TEST_VERSION},
        {"Enter", "Return", nullptr},
        {"Escape", "Escape", nullptr},
        {"Exit while open", nullptr, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        app.command(kAbout);
        HWND about = waitDialog(app, "");
        ASSERT_NE(nullptr, about);
        RECT placed = {};
        GetWindowRect(about, &placed);
        EXPECT_EQ(420, placed.right - placed.left);
        EXPECT_EQ(240, placed.bottom - placed.top);  // the size of its picture
        if (&row == rows)
            driver::captureScreen().save("about_dialog");
        if (&row == std::end(rows) - 1) {  // carried out inside the box's own loop
            EXPECT_EQ(0u, app.exit().value_or(1));
            EXPECT_TRUE(folder.readIni().has_value()) << "Exit did not save";
        } else if (row.key) {
            SetForegroundWindow(about);
            ASSERT_TRUE(driver::waitUntil([&] { return GetForegroundWindow() == about; }, 3000));
            for (const char* other : {"a", "space", "Tab", "Down", "F1"}) {
                driver::xdotoolKey(other);
                Sleep(200);
                EXPECT_TRUE(IsWindowVisible(about)) << "the key " << other << " closed it";
            }
            driver::xdotoolKey(row.key);
        } else {
            RECT text = {placed.left + 30, placed.top + 30, placed.left + 30, placed.top + 30};
            if (row.clickedText)
                GetWindowRect(FindWindowExA(about, nullptr, "Static", row.clickedText), &text);
            driver::xdotoolClick((text.left + text.right) / 2, (text.top + text.bottom) / 2, 1);
        }
        ASSERT_TRUE(driver::waitGone(about, 5000)) << "did not close About";
    }
}

}  // namespace
