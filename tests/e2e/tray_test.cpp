// The tray program as a person uses it: the icon's return after a shell
// restart, real clicks on the icon that Wine's taskbar draws, the popup menu
// and its commands, the dialogs' guards and the rotation timer around About.

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "driver.h"

namespace {

constexpr WORD kSettings = 32771;
constexpr WORD kAbout = 32772;
constexpr WORD kExit = 32773;
const char kSettingsTitle[] = "\xC9\xE8\xD6\xC3";  // 设置 in code page 936
const char kMenuClass[] = "#32768";

POINT centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// Visible top-level windows of `pid` (0: of any process) of a class and
// title; a null title matches any.
std::vector<HWND> visible(DWORD pid, const std::string& className, const char* title = nullptr)
{
    std::vector<HWND> shown;
    for (HWND window : driver::windowsOf(pid, "", className)) {
        char text[64] = {};
        GetWindowTextA(window, text, sizeof text);
        if (IsWindowVisible(window) && (!title || std::string(title) == text))
            shown.push_back(window);
    }
    return shown;
}

// The first of them once one shows (About is the dialog titled "").
HWND waitShown(const driver::Tavrel& app, const std::string& className, const char* title = nullptr)
{
    HWND found = nullptr;
    driver::waitUntil([&] {
        const std::vector<HWND> shown = visible(app.pid(), className, title);
        found = shown.empty() ? nullptr : shown.front();
        return found != nullptr;
    });
    return found;
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

// Another process cannot read a menu's items, so the test tracks menu 102 of
// the same exe itself: identical pixels mean the program shows that menu.
struct {
    HMENU popup;
    driver::Screenshot shot;
    RECT window;
    RECT items[4];
} reference = {};

void CALLBACK captureReference(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    reference.shot = driver::captureScreen();
    for (HWND shown : visible(GetCurrentProcessId(), kMenuClass))
        GetWindowRect(shown, &reference.window);
    for (int i = 0; i < 4; ++i)
        GetMenuItemRect(nullptr, reference.popup, i, &reference.items[i]);
    EndMenu();
}

// Tracks the popup as the program does, captures it once drawn, closes it.
void trackReference(POINT at)
{
    HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(owner);
    SetTimer(nullptr, 0, 500, captureReference);
    TrackPopupMenu(reference.popup, TPM_BOTTOMALIGN | TPM_LEFTALIGN, at.x, at.y, 0, owner, nullptr);
    DestroyWindow(owner);
}

// The real clicks go to the icon added again after a shell restart, so they
// also show that it is the program's working icon.
TEST(Tray, IconBackOnTaskbarCreatedOpensTheMenuAndExitsByRealClicks)
{
    driver::AppFolder folder("tray-menu");
    driver::Tavrel app(folder);
    const auto icon = trayIcon();
    ASSERT_TRUE(icon.has_value()) << "no icon on the taskbar";
    // A restarting shell forgets the icon; its broadcast brings it back.
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = app.window();
    data.uID = 100;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    ASSERT_FALSE(driver::waitForTrayIcon(false).has_value()) << "the icon did not go";
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    const auto back = trayIcon();
    ASSERT_TRUE(back.has_value()) << "TaskbarCreated did not add the icon again";
    EXPECT_TRUE(EqualRect(&*icon, &*back)) << "the icon came back elsewhere";
    const POINT at = centre(*back);

    for (int repeat : {1, 2}) {
        driver::xdotoolClick(at.x, at.y, 1, repeat);
        Sleep(700);
        EXPECT_TRUE(visible(app.pid(), "").empty()) << repeat << " left click(s) opened a window";
        EXPECT_TRUE(visible(0, kMenuClass).empty()) << repeat << " left click(s) opened a menu";
    }

    driver::xdotoolClick(at.x, at.y, 3);
    HWND menuWindow = waitShown(app, kMenuClass);
    ASSERT_NE(nullptr, menuWindow) << "a right click on the icon opened no menu";
    Sleep(500);  // fully drawn
    const driver::Screenshot shot = driver::captureScreen();
    shot.save("tray_menu");
    RECT menuRect = {};
    GetWindowRect(menuWindow, &menuRect);
    // A click elsewhere closes it, as the program's SetForegroundWindow allows.
    driver::xdotoolClick(512, 300, 1);
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindowVisible(menuWindow); }, 5000))
        << "a click elsewhere left the menu open";

    HMODULE exe = LoadLibraryExA(folder.exe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HMENU menu = LoadMenuA(exe, MAKEINTRESOURCEA(102));
    reference.popup = GetSubMenu(menu, 0);
    ASSERT_NE(nullptr, reference.popup);
    const struct {
        std::string text;
        UINT id;
    } expected[] = {
        {"\xC9\xE8\xD6\xC3(&S)", kSettings},        // 设置(&S)
        {"\xB9\xD8\xD3\xDA" "Tavrel(&A)", kAbout},  // 关于Tavrel(&A)
        {"", 0},                                    // separator
        {"\xCD\xCB\xB3\xF6(X)", kExit},             // 退出(X)
    };
    ASSERT_EQ(4, GetMenuItemCount(reference.popup));
    for (int i = 0; i < 4; ++i) {
        char text[128] = {};
        GetMenuStringA(reference.popup, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_EQ(expected[i].text, text) << "item " << i;
        EXPECT_EQ(expected[i].id, GetMenuItemID(reference.popup, i)) << "item " << i;
        EXPECT_EQ(i == 2, (GetMenuState(reference.popup, i, MF_BYPOSITION) & MF_SEPARATOR) != 0) << "item " << i;
    }
    trackReference(at);
    DestroyMenu(menu);
    FreeLibrary(exe);
    EXPECT_TRUE(EqualRect(&menuRect, &reference.window)) << "not placed as menu 102 tracked at the click";
    int differing = 0;
    for (int y = menuRect.top; y < menuRect.bottom; ++y)
        for (int x = menuRect.left; x < menuRect.right; ++x)
            differing += shot.at(x, y) != reference.shot.at(x, y);
    EXPECT_EQ(0, differing) << "pixels of the program's menu unlike menu 102's";

    // Exit, clicked: the settings are saved and the process ends with 0.
    driver::xdotoolClick(at.x, at.y, 3);
    ASSERT_NE(nullptr, waitShown(app, kMenuClass));
    Sleep(300);
    ASSERT_FALSE(folder.readIni().has_value());
    const POINT exitAt = centre(reference.items[3]);
    driver::xdotoolClick(exitAt.x, exitAt.y, 1);
    EXPECT_EQ(0u, app.waitExit().value_or(1)) << "Exit did not end the program with 0";
    EXPECT_TRUE(folder.readIni().has_value()) << "Exit did not save";
    EXPECT_FALSE(driver::findTrayIcon(driver::captureScreen()).has_value()) << "icon left behind";
}

TEST(Tray, EachDialogOpensOnceAndAboutOpensOverSettings)
{
    driver::AppFolder folder("tray-guards");
    driver::Tavrel app(folder);
    app.command(kSettings);
    HWND settings = waitShown(app, driver::kDialogClass, kSettingsTitle);
    ASSERT_NE(nullptr, settings) << "the settings command opened no dialog";
    app.command(kAbout);
    HWND about = waitShown(app, driver::kDialogClass, "");
    ASSERT_NE(nullptr, about) << "About did not open over the settings dialog";
    for (WORD again : {kSettings, kAbout})
        app.command(again);
    Sleep(700);
    EXPECT_EQ(1u, visible(app.pid(), driver::kDialogClass, kSettingsTitle).size()) << "settings opened twice";
    EXPECT_EQ(1u, visible(app.pid(), driver::kDialogClass, "").size()) << "About opened twice";
    closeDialog(about);
    EXPECT_TRUE(IsWindowVisible(settings)) << "closing About closed the settings dialog";
    // Covered by another program's window, it has no taskbar button: Settings
    // again is the way back to it.
    HWND cover = CreateWindowExA(0, "STATIC", "cover", WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                 GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(cover);
    ASSERT_TRUE(driver::waitUntil([&] { return GetForegroundWindow() == cover; }));
    app.command(kSettings);
    EXPECT_TRUE(driver::waitUntil([&] { return GetForegroundWindow() == settings; })) << "still covered";
    DestroyWindow(cover);
    closeDialog(settings);
    // The guard is down again.
    app.command(kSettings);
    settings = waitShown(app, driver::kDialogClass, kSettingsTitle);
    ASSERT_NE(nullptr, settings) << "settings did not open a second time";
    closeDialog(settings);
    EXPECT_EQ(0u, app.exit().value_or(1));
}

// Two pictures every 5 s, sequential.
void writeFastRotation(const driver::AppFolder& folder)
{
    const std::string pictures = folder.path() + "\\WallPaper\\1024_768\\";
    folder.writeIni("[SETTINGS]\r\nSHOWMODE=2\r\nSHOWORDER=0\r\nALTETIME=0\r\nPREVIEW=0\r\nAUTORUN=0\r\n"
                    "[FILELIST]\r\n0=" + pictures + "night.jpg\r\n1=" + pictures + "tile_violet.gif\r\n");
}

// Closes About and expects the next change one full interval later.
void expectFullIntervalAfterClosing(HWND about, const driver::AppFolder& folder)
{
    const auto changes = [&] { return driver::wallpapersSet(folder).size(); };
    const size_t before = changes();
    PostMessageA(about, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(driver::waitGone(about));
    const ULONGLONG closed = GetTickCount64();
    ASSERT_TRUE(driver::waitUntil([&] { return changes() > before; }, 10000, 20)) << "no change after About closed";
    const ULONGLONG waited = GetTickCount64() - closed;
    EXPECT_GE(waited, 4500u) << "the change after About came early: not a full interval";
    EXPECT_LE(waited, 7500u);
}

TEST(Tray, AboutStopsTheRotationAndRestartsItWithAFullInterval)
{
    driver::AppFolder folder("tray-timer", true);
    writeFastRotation(folder);
    driver::Tavrel app(folder);
    const auto changes = [&] { return driver::wallpapersSet(folder).size(); };
    ASSERT_TRUE(driver::waitUntil([&] { return changes() == 1; })) << "no first wallpaper";

    app.command(kAbout);
    HWND about = waitShown(app, driver::kDialogClass, "");
    ASSERT_NE(nullptr, about);
    Sleep(5500);  // more than the 5 s interval
    EXPECT_EQ(1u, changes()) << "the wallpaper changed while About was open";
    expectFullIntervalAfterClosing(about, folder);
    EXPECT_EQ(0u, app.exit().value_or(1));
}

// Each dialog restarts the rotation when it ends, so About closed over the
// settings dialog sets the timer running while that dialog is still open.
TEST(Tray, AboutClosedOverSettingsRestartsTheRotation)
{
    driver::AppFolder folder("tray-timer-over", true);
    writeFastRotation(folder);
    driver::Tavrel app(folder);
    ASSERT_TRUE(driver::waitUntil([&] { return driver::wallpapersSet(folder).size() == 1; }));

    app.command(kSettings);
    HWND settings = waitShown(app, driver::kDialogClass, kSettingsTitle);
    ASSERT_NE(nullptr, settings);
    app.command(kAbout);
    HWND about = waitShown(app, driver::kDialogClass, "");
    ASSERT_NE(nullptr, about);
    expectFullIntervalAfterClosing(about, folder);
    EXPECT_TRUE(IsWindowVisible(settings)) << "the settings dialog should still be open";
    closeDialog(settings);
    EXPECT_EQ(0u, app.exit().value_or(1));
}

}  // namespace
