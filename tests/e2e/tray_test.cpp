// The tray program as a person uses it: real clicks on the icon that Wine's
// taskbar draws, the popup menu and its commands, the two dialogs' guards and
// the rotation timer around them, and the icon's return after a shell restart.

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver.h"

namespace {

constexpr WORD kSettings = 32771;
constexpr WORD kAbout = 32772;
constexpr WORD kExit = 32773;
constexpr UINT kTrayId = 100;
const char kSettingsTitle[] = "\xC9\xE8\xD6\xC3";  // 设置 in code page 936
const char kMenuClass[] = "#32768";

POINT centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

std::string describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

bool sameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

std::vector<HWND> visibleWindowsOf(DWORD pid, const std::string& className = "")
{
    std::vector<HWND> visible;
    for (HWND window : driver::windowsOf(pid, "", className))
        if (IsWindowVisible(window))
            visible.push_back(window);
    return visible;
}

// The program's visible dialogs titled exactly `title` (About has none).
std::vector<HWND> dialogsOf(const driver::Tavrel& app, const std::string& title)
{
    std::vector<HWND> shown;
    for (HWND dialog : driver::windowsOf(app.pid(), "", driver::kDialogClass)) {
        char text[64] = {};
        GetWindowTextA(dialog, text, sizeof text);
        if (IsWindowVisible(dialog) && title == text)
            shown.push_back(dialog);
    }
    return shown;
}

// The pointer away from the taskbar, so that no tooltip covers the icons.
void parkPointer() { driver::runUnix("/usr/bin/xdotool mousemove 512 300"); }

HWND waitForDialog(const driver::Tavrel& app, const std::string& title)
{
    HWND found = nullptr;
    driver::waitUntil([&] {
        const std::vector<HWND> dialogs = dialogsOf(app, title);
        found = dialogs.empty() ? nullptr : dialogs.front();
        return found != nullptr;
    });
    return found;
}

void closeDialog(HWND dialog, WORD id)
{
    PostMessageA(dialog, WM_COMMAND, id, 0);
    EXPECT_TRUE(driver::waitGone(dialog)) << "dialog " << dialog << " did not close";
}

// The icon of a freshly started program, found on the taskbar.
RECT trayIconOf(const driver::Tavrel& app)
{
    EXPECT_NE(nullptr, app.window());
    parkPointer();
    const auto icon = driver::waitForTrayIcon(true);
    EXPECT_TRUE(icon.has_value()) << "no icon on the taskbar " << describe(driver::taskbarRect());
    return icon.value_or(RECT{});
}

struct MenuItem {
    std::string text;
    UINT id;
    bool separator;
};

std::vector<MenuItem> itemsOf(HMENU menu)
{
    std::vector<MenuItem> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[128] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        const UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        items.push_back({text, GetMenuItemID(menu, i), state != static_cast<UINT>(-1) && (state & MF_SEPARATOR)});
    }
    return items;
}

// Pixels clearly darker than the menu's white face: text and lines.
int darkPixels(const driver::Screenshot& shot, const RECT& r)
{
    int dark = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const uint32_t c = shot.at(x, y);
            if (driver::red(c) + driver::green(c) + driver::blue(c) < 3 * 0xC0)
                ++dark;
        }
    return dark;
}

// The tray menu of a copy of Tavrel.exe, loaded and tracked by the test.
class ReferenceMenu {
public:
    struct Shown {
        driver::Screenshot shot;
        RECT window = {};
        RECT items[4] = {};
    };

    explicit ReferenceMenu(const std::string& exe)
        : module_(LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE))
    {
        menu_ = module_ ? LoadMenuA(module_, MAKEINTRESOURCEA(102)) : nullptr;
        popup = menu_ ? GetSubMenu(menu_, 0) : nullptr;
        owner_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    }
    ~ReferenceMenu()
    {
        DestroyWindow(owner_);
        DestroyMenu(menu_);
        FreeLibrary(module_);
    }

    // Tracks the popup as the program does, captures it once drawn, closes it.
    Shown track(POINT at)
    {
        Shown shown;
        active_ = this;
        shown_ = &shown;
        SetForegroundWindow(owner_);
        SetTimer(nullptr, 0, 500, capture);
        TrackPopupMenu(popup, TPM_BOTTOMALIGN | TPM_LEFTALIGN, at.x, at.y, 0, owner_, nullptr);
        active_ = nullptr;
        return shown;
    }

    HMENU popup = nullptr;

private:
    static void CALLBACK capture(HWND, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(nullptr, id);
        if (!active_)
            return;
        active_->shown_->shot = driver::captureScreen();
        const std::vector<HWND> menus = driver::windowsOf(GetCurrentProcessId(), "", "#32768");
        for (HWND menu : menus)
            if (IsWindowVisible(menu))
                GetWindowRect(menu, &active_->shown_->window);
        for (int i = 0; i < 4; ++i)
            GetMenuItemRect(nullptr, active_->popup, i, &active_->shown_->items[i]);
        EndMenu();
    }

    static inline ReferenceMenu* active_ = nullptr;
    HMODULE module_ = nullptr;
    HMENU menu_ = nullptr;
    HWND owner_ = nullptr;
    Shown* shown_ = nullptr;
};

TEST(Tray, RightClickMenuAndExitByRealClicks)
{
    driver::AppFolder folder("tray-menu");
    driver::Tavrel app(folder);
    const RECT icon = trayIconOf(app);
    ASSERT_FALSE(IsRectEmpty(&icon));
    const POINT at = centre(icon);

    // Left clicks and double clicks open nothing.
    struct {
        const char* name;
        int button;
        int repeat;
    } const ignored[] = {{"left click", 1, 1}, {"left double click", 1, 2}, {"middle click", 2, 1}};
    for (const auto& click : ignored) {
        driver::xdotoolClick(at.x, at.y, click.button, click.repeat);
        Sleep(700);
        EXPECT_TRUE(visibleWindowsOf(app.pid()).empty()) << click.name << " opened a window";
        EXPECT_TRUE(visibleWindowsOf(0, kMenuClass).empty()) << click.name << " opened a menu";
    }

    driver::xdotoolClick(at.x, at.y, 3);
    HWND menuWindow = nullptr;
    ASSERT_TRUE(driver::waitUntil([&] {
        const std::vector<HWND> menus = visibleWindowsOf(app.pid(), kMenuClass);
        menuWindow = menus.empty() ? nullptr : menus.front();
        return menuWindow != nullptr;
    })) << "a right click on the icon opened no menu";
    Sleep(300);  // fully drawn
    const driver::Screenshot shot = driver::captureScreen();
    shot.save("tray_menu");

    RECT menuRect = {};
    GetWindowRect(menuWindow, &menuRect);
    // Bottom-aligned at the cursor, left-aligned unless the screen's edge
    // pushes it back.
    EXPECT_EQ(at.y, menuRect.bottom) << describe(menuRect);
    EXPECT_LE(menuRect.right, shot.width) << describe(menuRect);
    EXPECT_TRUE(menuRect.left == at.x || menuRect.right == shot.width) << describe(menuRect);

    // Another process cannot read the items of a menu, so the test tracks
    // menu 102 of the same executable itself at the same point: identical
    // pixels mean the program shows exactly that menu.
    // A click elsewhere closes it, as the program's SetForegroundWindow allows.
    driver::xdotoolClick(512, 300, 1);
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindowVisible(menuWindow); }, 5000))
        << "a click elsewhere left the menu open";
    ReferenceMenu reference(folder.exe());
    ASSERT_NE(nullptr, reference.popup);
    const std::vector<MenuItem> expected = {
        {"\xC9\xE8\xD6\xC3(&S)", kSettings, false},        // 设置(&S)
        {"\xB9\xD8\xD3\xDA" "Tavrel(&A)", kAbout, false},  // 关于Tavrel(&A)
        {"", 0, true},
        {"\xCD\xCB\xB3\xF6(X)", kExit, false},  // 退出(X)
    };
    const std::vector<MenuItem> items = itemsOf(reference.popup);
    ASSERT_EQ(expected.size(), items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(expected[i].text, items[i].text) << "item " << i;
        EXPECT_EQ(expected[i].id, items[i].id) << "item " << i;
        EXPECT_EQ(expected[i].separator, items[i].separator) << "item " << i;
    }
    const ReferenceMenu::Shown shown = reference.track(at);
    EXPECT_TRUE(sameRect(menuRect, shown.window)) << describe(menuRect) << " vs " << describe(shown.window);
    int differing = 0;
    for (int y = menuRect.top; y < menuRect.bottom; ++y)
        for (int x = menuRect.left; x < menuRect.right; ++x)
            differing += shot.at(x, y) != shown.shot.at(x, y);
    EXPECT_EQ(0, differing) << "pixels of the program's menu unlike menu 102's";
    for (int i : {0, 1, 3})
        EXPECT_GT(darkPixels(shot, shown.items[i]), 20) << "no text drawn on item " << i << " " << describe(shown.items[i]);
    EXPECT_GT(darkPixels(shot, shown.items[2]), 0) << "no separator line " << describe(shown.items[2]);

    // Open it again and click Exit.
    driver::xdotoolClick(at.x, at.y, 3);
    ASSERT_NE(nullptr, driver::waitForWindow(app.pid(), "", kMenuClass, 5000));
    Sleep(300);
    const RECT* itemRects = shown.items;
    // Exit, clicked: the settings are saved and the process ends with 0.
    ASSERT_FALSE(folder.readIni().has_value());
    const POINT exitAt = centre(itemRects[3]);
    driver::xdotoolClick(exitAt.x, exitAt.y, 1);
    const auto code = app.waitExit();
    ASSERT_TRUE(code.has_value()) << "Exit did not end the program";
    EXPECT_EQ(0u, *code);
    EXPECT_TRUE(folder.readIni().has_value()) << "Exit did not save";
    EXPECT_FALSE(driver::findTrayIcon(driver::captureScreen()).has_value()) << "icon left behind";
}

TEST(Tray, EachDialogOpensOnceAndAboutOpensOverSettings)
{
    driver::AppFolder folder("tray-guards");
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());

    app.command(kSettings);
    HWND settings = waitForDialog(app, kSettingsTitle);
    ASSERT_NE(nullptr, settings) << "the settings command opened no dialog";
    app.command(kSettings);
    app.command(kSettings);
    Sleep(700);
    EXPECT_EQ(1u, dialogsOf(app, kSettingsTitle).size()) << "settings opened again while open";
    EXPECT_EQ(0u, dialogsOf(app, "").size());

    // The About box opens over the settings dialog, once.
    app.command(kAbout);
    HWND about = waitForDialog(app, "");
    ASSERT_NE(nullptr, about) << "About did not open over the settings dialog";
    EXPECT_EQ(app.window(), GetWindow(about, GW_OWNER));
    app.command(kAbout);
    app.command(kSettings);
    Sleep(700);
    EXPECT_EQ(1u, dialogsOf(app, "").size()) << "About opened again while open";
    EXPECT_EQ(2u, dialogsOf(app, kSettingsTitle).size() + dialogsOf(app, "").size());

    closeDialog(about, IDCANCEL);
    EXPECT_TRUE(IsWindowVisible(settings)) << "closing About closed the settings dialog";
    closeDialog(settings, IDCANCEL);

    // Both guards are down again: each dialog opens anew, the settings
    // dialog now over the About box.
    app.command(kAbout);
    about = waitForDialog(app, "");
    ASSERT_NE(nullptr, about) << "About did not open a second time";
    app.command(kSettings);
    settings = waitForDialog(app, kSettingsTitle);
    ASSERT_NE(nullptr, settings) << "settings did not open over About";
    closeDialog(settings, IDCANCEL);
    closeDialog(about, IDOK);

    const auto code = app.exit();
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(0u, *code);
}

// A list of three pictures, shown in order every 5 seconds.
void writeFiveSecondRotation(const driver::AppFolder& folder)
{
    const std::string pictures = folder.path() + "\\WallPaper\\1024_768\\";
    folder.writeIni("[SETTINGS]\r\nSHOWMODE=2\r\nSHOWORDER=0\r\nALTETIME=0\r\nPREVIEW=0\r\nAUTORUN=0\r\n"
                    "[FILELIST]\r\n0=" + pictures + "night.jpg\r\n1=" + pictures + "tile_violet.gif\r\n2=" +
                    pictures + "more\\rings.gif\r\n");
}

size_t changes(const driver::AppFolder& folder) { return driver::wallpapersSet(folder).size(); }

// Holds a dialog open past a full interval with no change, closes it and
// measures how long the next change takes.
void expectTimerPausedThenRestarted(const driver::AppFolder& folder, HWND dialog, WORD closeId, const char* name)
{
    const size_t before = changes(folder);
    Sleep(5500);
    EXPECT_EQ(before, changes(folder)) << "the wallpaper changed while " << name << " was open";

    PostMessageA(dialog, WM_COMMAND, closeId, 0);
    ASSERT_TRUE(driver::waitGone(dialog)) << name;
    const ULONGLONG closed = GetTickCount64();
    ASSERT_TRUE(driver::waitUntil([&] { return changes(folder) > before; }, 10000, 20))
        << "no change after " << name << " closed";
    const ULONGLONG waited = GetTickCount64() - closed;
    EXPECT_GE(waited, 4500u) << "the change after " << name << " came early: not a full interval";
    EXPECT_LE(waited, 7500u) << name;
}

TEST(Tray, DialogsStopTheRotationAndRestartItWithAFullInterval)
{
    driver::AppFolder folder("tray-timer", true);
    writeFiveSecondRotation(folder);
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    ASSERT_TRUE(driver::waitUntil([&] { return changes(folder) == 1; })) << "no first wallpaper";

    app.command(kAbout);
    HWND about = waitForDialog(app, "");
    ASSERT_NE(nullptr, about);
    expectTimerPausedThenRestarted(folder, about, IDCANCEL, "About");

    // Cancel of the settings dialog restarts it the same way.
    app.command(kSettings);
    HWND settings = waitForDialog(app, kSettingsTitle);
    ASSERT_NE(nullptr, settings);
    expectTimerPausedThenRestarted(folder, settings, IDCANCEL, "the settings dialog");

    // The list went on in order through the pauses.
    const std::vector<std::string> set = driver::wallpapersSet(folder);
    ASSERT_EQ(3u, set.size());
    const char* names[] = {"night.jpg", "tile_violet.gif", "rings.gif"};
    for (size_t i = 0; i < set.size(); ++i) {
        const std::string name = names[i];
        EXPECT_EQ(name, set[i].substr(set[i].size() - std::min(set[i].size(), name.size()))) << "change " << i;
    }
    EXPECT_EQ(0u, app.exit().value_or(1));
}

void notifyTaskbarCreated()
{
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
}

TEST(Tray, TaskbarCreatedBringsTheIconBack)
{
    driver::AppFolder folder("tray-restart");
    driver::Tavrel app(folder);
    const RECT icon = trayIconOf(app);
    ASSERT_FALSE(IsRectEmpty(&icon));

    // While the icon is there, the message adds no second one.
    notifyTaskbarCreated();
    Sleep(1000);
    parkPointer();
    Sleep(300);
    const auto still = driver::findTrayIcon(driver::captureScreen());
    ASSERT_TRUE(still.has_value());
    EXPECT_TRUE(sameRect(icon, *still)) << describe(icon) << " became " << describe(*still);

    // A restarting shell forgets the icon; its broadcast brings it back.
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = app.window();
    data.uID = kTrayId;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    parkPointer();
    if (driver::waitForTrayIcon(false).has_value()) {
        driver::captureScreen().save("tray_icon_not_deleted");
        FAIL() << "the icon did not go";
    }
    notifyTaskbarCreated();
    const auto back = driver::waitForTrayIcon(true);
    ASSERT_TRUE(back.has_value()) << "TaskbarCreated did not add the icon again";
    EXPECT_TRUE(sameRect(icon, *back)) << describe(icon) << " came back as " << describe(*back);

    // And it is the program's working icon: its menu opens.
    const POINT at = centre(*back);
    driver::xdotoolClick(at.x, at.y, 3);
    HWND menu = driver::waitForWindow(app.pid(), "", kMenuClass, 5000);
    ASSERT_NE(nullptr, menu) << "the icon added again opens no menu";
    ASSERT_TRUE(driver::waitUntil([&] { return IsWindowVisible(menu) != 0; }));
    driver::xdotoolClick(512, 300, 1);
    EXPECT_TRUE(driver::waitUntil([&] { return !IsWindowVisible(menu); })) << "a click elsewhere left the menu open";
    EXPECT_EQ(0u, app.exit().value_or(1));
}

}  // namespace
