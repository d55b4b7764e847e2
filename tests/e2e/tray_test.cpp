// The tray program as a person uses it: real clicks on Wine's taskbar icon and its menu, the dialogs, About.

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "driver.h"

namespace {

constexpr int kInterval = 1010, kTile = 1011, kRandom = 1015;  // the settings dialog's controls

// Clicks the menu's item `row` (0 Next, 1 Previous, 2 Pause, a separator, 3 Show in Folder, 4 Never Again, a
// separator, 5 Settings, 6 About, 18 pixels each, a separator 9; -1 Exit); the dialog `title` it opens. `look`
// takes the first five as drawn: "N", "V", "P", "F", "R" or "-" (greyed), "*" checked.
HWND chooseFromMenu(const driver::Tavrel& app, int row, const char* title = nullptr, std::string* look = nullptr)
{
    RECT box = {};
    HWND menu = driver::openTrayMenu(app);
    if (!menu || !GetWindowRect(menu, &box))
        return nullptr;
    const auto middle = [&](int item) { return item < 0 ? box.bottom - 10 : box.top + 11 + 18 * item + 9 * (item / 3 + item / 5); };
    const driver::Screenshot shot = look ? driver::captureScreen() : driver::Screenshot();
    for (int item = 0; look && item < 5; ++item) {
        bool enabled = false, mark = false;  // from the text; from the column before it, in the same colour
        for (LONG y = middle(item) - 8; y <= middle(item) + 8; ++y)
            for (LONG x = box.left + 2; x < box.right - 2; ++x)
                (x < box.left + 18 ? mark : enabled) |= shot.at(x, y) == GetSysColor(COLOR_MENUTEXT);
        *look = (item ? *look : "") + std::string(1, enabled ? "NVPFR"[item] : '-') + (mark ? "*" : "");
    }
    driver::xdotoolClick(box.left + 20, middle(row));
    HWND dialog = title ? driver::waitShown(app.pid(), driver::kDialogClass, title) : nullptr;
    Sleep(300);
    return dialog;
}

// Settings opened, its row `row` removed, OK.
void removeRowWithOk(const driver::Tavrel& app, int row)
{
    HWND settings = app.open(driver::kSettings, driver::kSettingsTitle);
    SendDlgItemMessageA(settings, 1000, LB_SETCURSEL, row, 0);
    SendMessageA(settings, WM_COMMAND, 1008, 0);  // Remove
    EXPECT_TRUE(driver::closeDialog(settings, IDOK));
}

// The change `count` comes `seconds` after `since`, which then moves to it.
void changeAfter(const driver::AppFolder& folder, size_t count, ULONGLONG& since, ULONGLONG seconds)
{
    ASSERT_TRUE(folder.waitWallpapers(count, static_cast<DWORD>(seconds * 1000 + 5000))) << "change " << count;
    const ULONGLONG now = GetTickCount64();
    EXPECT_GE(now - since + 500, seconds * 1000) << "change " << count;
    EXPECT_LE(now - since, seconds * 1000 + 2500) << "change " << count;
    since = now;
}

// Left clicks do nothing; a right click opens the menu, a click elsewhere closes it. After each dialog the next
// change comes a full interval later; after OK in its interval, style and order (random: never c). The rotation
// waits under Settings; About opens over it; each opens once; Settings again comes to the front. Exit: 0, saved.
TEST(Tray, MenuOpensEachDialogOnceAndTheRotationRestartsAfterEach)
{
    driver::AppFolder folder("tray-rotation");
    const driver::Strings pictures = {folder.path() + "\\a.bmp", folder.path() + "\\b.bmp", folder.path() + "\\c.bmp"};
    folder.writeIni(driver::iniText(2, 0, 1, 0, 0, pictures));
    driver::Tavrel app(folder);
    ASSERT_TRUE(folder.waitWallpapers(1));
    ULONGLONG last = GetTickCount64();
    driver::runUnix("/usr/bin/xdotool mousemove 512 300");  // away, so that no tooltip covers the icon
    const auto icon = driver::waitForTrayIcon(true);
    ASSERT_TRUE(icon.has_value()) << "no icon on the taskbar";
    driver::xdotoolClick((icon->left + icon->right) / 2, (icon->top + icon->bottom) / 2, 1, 3);  // a click, a double
    Sleep(700);
    EXPECT_EQ(nullptr, driver::waitShown(app.pid(), driver::kDialogClass, nullptr, 0)) << "left clicks opened a dialog";
    EXPECT_EQ(nullptr, driver::waitShown(0, driver::kMenuClass, nullptr, 0)) << "left clicks opened a menu";
    HWND menu = driver::openTrayMenu(app);
    ASSERT_NE(nullptr, menu) << "a right click on the icon opened no menu";
    driver::captureScreen().save("tray_menu");
    driver::xdotoolClick(512, 300);  // elsewhere: closes it, as the program's SetForegroundWindow allows
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindowVisible(menu); }, 5000)) << "a click elsewhere left it open";
    changeAfter(folder, 2, last, 15);

    HWND settings = chooseFromMenu(app, 5, driver::kSettingsTitle);
    ASSERT_NE(nullptr, settings) << "设置 opened no settings dialog";
    SendDlgItemMessageA(settings, kInterval, CB_SETCURSEL, 0, 0);
    SendMessageA(settings, WM_COMMAND, MAKEWPARAM(kInterval, CBN_SELCHANGE), (LPARAM)GetDlgItem(settings, kInterval));
    for (int id : {kTile, kRandom})
        driver::clickMiddle(GetDlgItem(settings, id));
    ASSERT_TRUE(driver::waitUntil([&] { return SendDlgItemMessageA(settings, kRandom, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    EXPECT_TRUE(driver::closeDialog(settings, IDOK));
    last = GetTickCount64();
    changeAfter(folder, 3, last, 5);
    changeAfter(folder, 4, last, 5);
    const driver::Strings shown = folder.wallpapersSet(), calls = folder.standinCalls();
    EXPECT_NE(pictures[2], shown[2]) << "not random";
    EXPECT_NE(shown[2], shown[3]) << "random showed the same picture twice";
    EXPECT_EQ(2, std::count(calls.begin(), calls.end(), "SetWallpaperOptions dwSize=8 dwStyle=1 reserved=0"));

    ASSERT_NE(nullptr, settings = app.open(driver::kSettings, driver::kSettingsTitle));
    for (WORD waits : {driver::kNext, driver::kPause, driver::kPrevious})
        app.command(waits);
    Sleep(5500);
    EXPECT_EQ(4u, folder.wallpapersSet().size()) << "changed while the settings dialog was open";
    std::string look;
    HWND about = chooseFromMenu(app, 6, "", &look);
    ASSERT_NE(nullptr, about) << "关于 opened no About box over the settings dialog";
    EXPECT_EQ("---F-", look) << "Next, Previous, Pause and Never Again not greyed while a dialog holds the rotation";
    for (WORD again : {driver::kSettings, driver::kAbout})
        app.command(again);
    Sleep(700);
    const std::vector<HWND> dialogs = driver::windowsOf(app.pid(), "", driver::kDialogClass);
    EXPECT_EQ(2, std::count_if(dialogs.begin(), dialogs.end(), IsWindowVisible)) << "a dialog opened twice";
    EXPECT_TRUE(driver::closeDialog(about));
    last = GetTickCount64();
    changeAfter(folder, 5, last, 5);

    HWND cover = CreateWindowExA(0, "STATIC", "cover", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768, nullptr, nullptr,
                                 nullptr, nullptr);
    SetForegroundWindow(cover);
    ASSERT_TRUE(driver::waitUntil([&] { return GetForegroundWindow() == cover; }));
    app.command(driver::kSettings);
    EXPECT_TRUE(driver::waitUntil([&] { return GetForegroundWindow() == settings; })) << "still covered";
    DestroyWindow(cover);
    EXPECT_TRUE(driver::closeDialog(settings));
    last = GetTickCount64();
    changeAfter(folder, 6, last, 5);
    chooseFromMenu(app, -1);
    EXPECT_EQ(0u, app.waitExit().value_or(1)) << "Exit did not end the program with 0";
    EXPECT_EQ(0u, folder.readIni().find(driver::iniText(0, 1, 0, 0, 0))) << "Exit did not save the settings";
}

// Next changes at once, the next a full period later; Previous (Ctrl+Alt+Left, the menu's) goes back through both,
// no further, and a full period follows; then the rotation goes on where it was (a, not b); Ctrl+Alt+Right is Next.
// Pause (Ctrl+Alt+P) holds over periods, an OK that rebuilt the list and a restart (Next still changes once); chosen
// again, a full period later. The tooltip names the picture shown (none after a paused start).
TEST(Tray, NextPreviousAndPause)
{
    driver::AppFolder folder("tray-pause");
    folder.writeIni(driver::iniText(2, 0, 0, 0, 0, {"C:\\a.bmp", "C:\\b.bmp", "C:\\c.bmp"}));
    std::string look;
    {
        driver::Tavrel app(folder);
        ASSERT_TRUE(folder.waitWallpapers(1));
        EXPECT_TRUE(driver::waitTooltip("Tavrel - a.bmp")) << "the tooltip after the start";
        chooseFromMenu(app, 0, nullptr, &look);
        EXPECT_EQ("N-PFR", look) << "Previous before a second picture";
        ULONGLONG last = GetTickCount64() - 300;  // the click, before the menu's last wait
        changeAfter(folder, 2, last, 0);
        EXPECT_TRUE(driver::waitTooltip("Tavrel - b.bmp")) << "the tooltip after Next, before the next change";
        changeAfter(folder, 3, last, 5);
        Sleep(2000);  // into the period: the full one after Previous shows
        last = GetTickCount64();
        driver::xdotoolKey("ctrl+alt+Left");
        changeAfter(folder, 4, last, 0);
        for (int i = 0; i < 2; ++i)
            app.command(driver::kPrevious);
        changeAfter(folder, 5, last, 0);
        changeAfter(folder, 6, last, 5);
        driver::xdotoolKey("ctrl+alt+Right ctrl+alt+p");
        changeAfter(folder, 7, last, 0);
        removeRowWithOk(app, 0);  // c; OK would change the picture at once
        Sleep(6000);
        app.command(driver::kNext);
        Sleep(6000);
        EXPECT_EQ((driver::Strings{"C:\\a.bmp", "C:\\b.bmp", "C:\\c.bmp", "C:\\b.bmp", "C:\\a.bmp", "C:\\a.bmp",
                                   "C:\\b.bmp", "C:\\a.bmp"}), folder.wallpapersSet()) << "paused, only Next changes";
        ASSERT_EQ(0u, app.exit().value_or(99));
    }
    driver::Tavrel app(folder);  // its list: b, a
    Sleep(6000);
    EXPECT_EQ(8u, folder.wallpapersSet().size()) << "the pause ended with the restart";
    EXPECT_TRUE(driver::waitTooltip("Tavrel")) << "the tooltip after a paused start";
    chooseFromMenu(app, 2, nullptr, &look);
    EXPECT_EQ("N-P*--", look) << "no picture shown yet";
    ULONGLONG last = GetTickCount64() - 300;
    changeAfter(folder, 9, last, 5);
    removeRowWithOk(app, 1);  // b: a is shown at once
    ASSERT_TRUE(folder.waitWallpapers(10, 3000));
    EXPECT_TRUE(driver::waitTooltip("Tavrel - a.bmp")) << "the tooltip after an OK that changed the list";
}

// Each row opens the box anew, its texts placed on its picture at 120 dpi; the
// last is left open for Exit.
TEST(About, TakesItsPicturesSizeWithItsTextsAndClosesOnAClickEnterAndEscapeOnly)
{
    driver::AppFolder folder("about");
    const DWORD dpi120 = 120;
    RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", REG_DWORD, &dpi120, sizeof dpi120);
    driver::Tavrel app(folder);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels");
    // In the template's order, each across the box, its middle where the template's 158 units put it.
    const std::pair<std::string, int> texts[] = {{"Tavrel " TAVREL_TEST_VERSION, 109},
        {"\xB0\xE6\xC8\xA8\xCB\xF9\xD3\xD0 (C) 2026 Tavrel \xBF\xAA\xB7\xA2\xD7\xE9", 141},
        {"\xB6\xA8\xCA\xB1\xB8\xFC\xBB\xBB\xD7\xC0\xC3\xE6\xB1\xDA\xD6\xBD\xB5\xC4\xCD\xD0\xC5\xCC\xD0\xA1\xB9\xA4\xBE\xDF", 126}};
    const struct { const char* name; const char* key; } rows[] = {  // no key: a click on the version text
        {"click", nullptr}, {"Enter", "Return"}, {"Escape", "Escape"}, {"Exit while open", nullptr}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        HWND about = app.open(driver::kAbout, "");
        ASSERT_NE(nullptr, about);
        RECT placed = {}, r = {};
        GetWindowRect(about, &placed);
        EXPECT_EQ(std::make_pair(420L, 240L), std::make_pair(placed.right - placed.left, placed.bottom - placed.top));
        size_t i = 0;
        for (HWND text = GetWindow(about, GW_CHILD); text; text = GetWindow(text, GW_HWNDNEXT), ++i) {
            char shown[64] = {};
            ASSERT_LT(i, std::size(texts));
            GetWindowTextA(text, shown, sizeof shown), GetWindowRect(text, &r);
            EXPECT_EQ(texts[i].first, shown);
            EXPECT_EQ(std::make_pair(placed.left + 1, placed.right - 1), std::make_pair(r.left, r.right)) << shown;
            EXPECT_NEAR(texts[i].second * 238.0 / 158, (r.top + r.bottom) / 2 - placed.top - 1, 1.5) << shown;
        }
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
