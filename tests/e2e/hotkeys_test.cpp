// The global hotkeys on the real program (what each does is proven with the tray's commands): a combination
// another program holds is told in the settings dialog, and the box turns them off.

#include <gtest/gtest.h>

#include <algorithm>

#include "driver.h"

namespace {

constexpr int kHotkeys = 1028, kHotkeyNote = 1029;  // the settings dialog's box and note

// Which of the three combinations this process could take now ("RLP", "-" where Tavrel holds one).
std::string freeCombinations()
{
    std::string free;
    for (UINT key : {VK_RIGHT, VK_LEFT, 0x50})  // P
        free += RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, key) && UnregisterHotKey(nullptr, 1) ? "RLP"[free.size()] : '-';
    return free;
}

// Ctrl+Alt+P held by this test: told in the dialog, and taken by the program as soon as the dialog opens after
// the test let it go. The box unticked lets all three go at OK, and HOTKEYS=0 keeps them so over a restart;
// ticked, they are taken again and the key goes.
TEST(Hotkeys, ATakenCombinationIsToldAndTheBoxTurnsThemOff)
{
    driver::AppFolder folder("hotkeys");
    folder.writeIni(driver::iniText(2, 0, 12, 0, 0, {"C:\\a.bmp"}));
    ASSERT_TRUE(RegisterHotKey(nullptr, 2, MOD_CONTROL | MOD_ALT, 'P'));
    const std::string toldTaken = driver::utf8(L"Ctrl+Alt+P \u5df2\u88ab\u5176\u4ed6\u7a0b\u5e8f\u5360\u7528");
    const struct { const char* name; bool release, click; std::string note; int box; const char *freeAtStart,
                   *freeAfterOk, *key; } rows[] = {
        {"P taken", false, false, toldTaken, BST_CHECKED, "---", "---", ""},
        {"P let go, the box unticked", true, true, "", BST_CHECKED, "---", "RLP", "HOTKEYS=0\r\n"},
        {"after a restart, ticked", false, true, "", BST_UNCHECKED, "RLP", "---", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        driver::Tavrel app(folder);
        // The icon comes after the hotkeys: asked before, a combination would seem free, or taken.
        ASSERT_TRUE(folder.waitWallpapers(1) && driver::waitForTrayIcon(true));
        EXPECT_EQ(row.freeAtStart, freeCombinations());
        if (row.release)
            UnregisterHotKey(nullptr, 2);
        HWND dialog = app.open(driver::kSettings, driver::kSettingsTitle);
        ASSERT_NE(nullptr, dialog);
        wchar_t note[128] = {};
        GetDlgItemTextW(dialog, kHotkeyNote, note, 128);
        EXPECT_EQ(row.note, driver::utf8(note));
        EXPECT_EQ(row.box, SendDlgItemMessageA(dialog, kHotkeys, BM_GETCHECK, 0, 0));
        if (&row == rows)
            driver::captureScreen().save("settings-dialog-hotkey-taken");
        if (row.click)
            driver::clickMiddle(GetDlgItem(dialog, kHotkeys));
        ASSERT_TRUE(driver::waitUntil([&] { return (SendDlgItemMessageA(dialog, kHotkeys, BM_GETCHECK, 0, 0) != row.box) == row.click; }));
        ASSERT_TRUE(driver::closeDialog(dialog, IDOK));
        EXPECT_EQ(row.freeAfterOk, freeCombinations());
        ASSERT_EQ(0u, app.exit().value_or(99));
        const std::string saved = folder.readIni();
        EXPECT_EQ(row.key, saved.substr(std::min(saved.find("HOTKEYS"), saved.size()), 11)) << "kept, and only while off";
    }
}

}  // namespace
