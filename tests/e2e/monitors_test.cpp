// A picture of its own on each monitor, and span: what the real program hands the stand-in's IDesktopWallpaper
// object (with the monitors this test sets) or, without that object or with the box off, its Active Desktop object.

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>

#include "driver.h"

namespace {

using driver::Strings;
const COLORREF kColours[] = {RGB(230, 40, 170), RGB(40, 200, 90), RGB(250, 190, 30), RGB(30, 90, 220), RGB(120, 60, 20)};

// Each change: "pos N" and "<monitor>=<picture>" for each, or "style N <picture>" through the Active Desktop
// object (each change there all its calls, in order); at random "?" for the pictures, once each change's (with
// the one before, for a monitor that came alone) were found to differ.
Strings changesOf(const driver::AppFolder& folder, const Strings& pictures, bool random)
{
    const std::regex style("(?:SetPosition position|SetWallpaperOptions dwSize=8 dwStyle)=(\\d)( reserved=0)?"),
        set("SetWallpaper (?:monitor=(\\S+) hr=0x00000000 drawn=\\d|reserved=0) path=(.*)"),
        activeDesktop("Create\nSetDesktopItemOptions dwSize=12 fEnableComponents=1 fActiveDesktop=1 reserved=0\n"
                      "SetWallpaperOptions .*\nSetWallpaper .*\nApplyChanges flags=7 drawn=\\d\nRelease refs=0\n");
    Strings changes, calls;  // and each change's calls, a line each
    std::vector<std::multiset<std::string>> shown;
    for (const std::string& call : folder.standinCalls()) {
        std::smatch m;
        if (call.rfind("Create", 0) == 0) {
            changes.emplace_back(), shown.emplace_back();
            calls.emplace_back();
        } else if (std::regex_match(call, m, style))
            changes.back() += (m[2].matched ? "style " : "pos ") + m[1].str();
        else if (std::regex_match(call, m, set)) {
            shown.back().insert(m[2]);
            changes.back() += (changes.back().empty() ? "" : " ") + (m[1].matched ? m[1].str() + "=" : "") +
                              (random ? "?" : std::to_string(std::find(pictures.begin(), pictures.end(), m[2]) - pictures.begin()));
        }
        calls.back() += call + "\n";
    }
    for (const std::string& change : calls)
        EXPECT_TRUE(change.rfind("Create\n", 0) != 0 || std::regex_match(change, activeDesktop)) << change;
    for (size_t i = 0; random && i < shown.size(); ++i) {
        std::multiset<std::string> both = shown[i];
        if (changes[i].find('=') < changes[i].find(' ') && i > 0)
            both.insert(shown[i - 1].begin(), shown[i - 1].end());
        EXPECT_EQ(both.size(), std::set<std::string>(both.begin(), both.end()).size()) << "the same picture twice: " << i;
    }
    return changes;
}

// Each row: the start, a tick, Next, Previous (the tick's pictures again), the monitors changed and a tick; a
// restart from the saved list. The settings dialog's box is greyed without the object; Span and the box clicked.
TEST(Monitors, EachMonitorItsOwnPictureOrOneSpanningThemAll)
{
    const struct { const char* name; const char* monitors; int showMode, showOrder, eachMonitor;
                   const char* changed; bool announced; Strings changes; const char* tip = nullptr; } rows[] = {
        {"one monitor, as with the box off", "M 0 0 1024 768", 1, 0, 1, nullptr, false,
         {"pos 0 M=0", "pos 0 M=1", "pos 0 M=2", "pos 0 M=1", "pos 0 M=3", "style 5 4"}},
        {"two, enumerated right first, in order", "R 512 0 1024 768\nL 0 0 512 768", 4, 0, 1, nullptr, false,
         {"pos 4 L=0 R=1", "pos 4 L=2 R=3", "pos 4 L=4 R=0", "pos 4 L=2 R=3", "pos 4 L=1 R=2", "style 5 3"}},
        // The primary (at 0,0) is the second from the left; the middle one is plugged in again (a new id).
        {"three in order, one not attached", "X\nC 512 0 1024 768\nB 0 0 512 768\nA -341 0 0 768", 2, 0, 1,
         "X\nC 512 0 1024 768\nB2 0 0 512 768\nA -341 0 0 768", false,
         {"pos 2 A=0 B=1 C=2", "pos 2 A=3 B=4 C=0", "pos 2 A=1 B=2 C=3", "pos 2 A=3 B=4 C=0", "pos 2 A=4 B2=0 C=1",
          "pos 2 A=2 B2=3 C=4", "style 5 0"},
         "Tavrel - 3.bmp"},
        // A picture a monitor refuses counts as shown; one a monitor gone meanwhile refused goes to the next.
        {"two in order, the left one refusing", "L 0 0 512 768 refuses\nR 512 0 1024 768", 3, 0, 1, nullptr, false,
         {"pos 3 R=1", "pos 3 R=3", "pos 3 R=0", "pos 3 R=3", "pos 3 R=2", "style 5 3"}},
        {"three in order, the middle one gone", "A 0 0 341 768\nB 341 0 682 768 gone\nC 682 0 1024 768", 3, 0, 1,
         nullptr, false, {"pos 3 A=0 C=1", "pos 3 A=2 C=3", "pos 3 A=4 C=0", "pos 3 A=2 C=3", "pos 3 A=1 C=2", "style 5 3"}},
        {"two at random, a third added", "L 0 0 512 768\nR 512 0 1024 768", 0, 1, 1,
         "L 0 0 512 768\nR 512 0 1024 768\nT 0 768 1024 1024", true,
         {"pos 1 L=? R=?", "pos 1 L=? R=?", "pos 1 L=? R=?", "pos 1 L=? R=?", "T=?", "pos 1 L=? T=? R=?",
          "pos 1 L=? T=? R=?", "style 5 ?"}},
        {"span, the box on", "L 0 0 512 768\nR 512 0 1024 768", 5, 0, 1, nullptr, false,
         {"pos 5 (all)=0", "pos 5 (all)=1", "pos 5 (all)=2", "pos 5 (all)=1", "pos 5 (all)=3", "style 5 4"}},
        // The shell numbers centre 0 and tile 1.
        {"tiled, the box off", "L 0 0 512 768\nR 512 0 1024 768", 0, 0, 0, nullptr, false,
         {"style 1 0", "style 1 1", "style 1 2", "style 1 1", "style 1 3", "pos 5 (all)=4"}},
        {"centred on Windows 7: no object, span stretched", nullptr, 1, 0, 1, nullptr, false,
         {"style 0 0", "style 0 1", "style 0 2", "style 0 1", "style 0 3", "style 2 4"}},
    };
    const char kVersionKey[] = "Software\\Wine\\AppDefaults\\Tavrel.exe";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        driver::AppFolder folder("monitors");
        Strings pictures;
        for (COLORREF colour : kColours) {
            pictures.push_back(folder.path() + "\\" + std::to_string(pictures.size()) + ".bmp");
            driver::writeFileBytes(pictures.back(), driver::bmpBytes(64, 48, colour, colour));
        }
        const std::string monitors = folder.path() + "\\monitors.txt";
        driver::writeFileBytes(monitors, row.monitors ? row.monitors : "");
        SetEnvironmentVariableA("TAVREL_STANDIN_MONITORS", row.monitors ? monitors.c_str() : nullptr);
        if (row.monitors)  // Wine answers as Windows 8 to the program there, as the prefix's Windows 7 elsewhere
            RegSetKeyValueA(HKEY_CURRENT_USER, kVersionKey, "Version", REG_SZ, "win8", 5);
        Strings listed = pictures;
        listed[0].insert(3, "\\");  // saved once from a drive's root: the shell takes one backslash
        std::string ini = driver::iniText(row.showMode, row.showOrder, 19, 1, 0, listed);
        ini.insert(ini.find("[FILELIST]"), row.eachMonitor ? "EACHMONITOR=1\r\n" : "");
        folder.writeIni(ini);
        size_t steps = 0;
        const auto waitChanges = [&](size_t more) {
            steps += more;
            return driver::waitUntil([&] {
                const Strings calls = folder.standinCalls();
                return std::count(calls.begin(), calls.end(), "Release refs=0") >= static_cast<long>(steps);
            });
        };
        {
            driver::Tavrel app(folder);
            ASSERT_TRUE(waitChanges(1));
            if (row.showMode == 4) {  // two pictures side by side on the Wine desktop
                EXPECT_TRUE(driver::waitUntil([] {
                    const driver::Screenshot shot = driver::captureScreen();
                    return shot.at(256, 300) == kColours[0] && shot.at(768, 300) == kColours[1];
                }));
                driver::captureScreen().save("desktop-two-monitors");
            }
            app.tick();
            ASSERT_TRUE(waitChanges(1));
            app.command(driver::kNext);
            ASSERT_TRUE(waitChanges(1));
            app.command(driver::kPrevious);  // the tick's pictures again
            ASSERT_TRUE(waitChanges(1));
            if (row.changed) {
                driver::writeFileBytes(monitors, row.changed);
                if (row.announced)  // handled before the tick that follows
                    PostMessageA(app.window(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
                app.tick();
                ASSERT_TRUE(waitChanges(row.announced ? 2 : 1));
            }
            ASSERT_EQ(0u, app.exit().value_or(99));
        }
        driver::Tavrel again(folder);
        ASSERT_TRUE(waitChanges(1));
        if (row.tip) {
            EXPECT_TRUE(driver::waitTooltip(row.tip)) << "the primary monitor's picture";
        }
        HWND dialog = again.open(driver::kSettings, driver::kSettingsTitle);
        ASSERT_NE(nullptr, dialog);
        EXPECT_EQ(row.monitors != nullptr, IsWindowEnabled(GetDlgItem(dialog, 1023)) != FALSE) << "the box greyed";
        EXPECT_EQ(row.eachMonitor, SendDlgItemMessageA(dialog, 1023, BM_GETCHECK, 0, 0));
        if (row.showMode == 4)
            driver::captureScreen().save("settings-dialog-each-monitor");
        for (int id : {1022, 1023})  // Span, and the box turned over where it can be
            driver::clickMiddle(GetDlgItem(dialog, id));
        ASSERT_TRUE(driver::waitUntil([&] { return SendDlgItemMessageA(dialog, 1022, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
        ASSERT_TRUE(driver::closeDialog(dialog, IDOK));
        again.tick();
        ASSERT_TRUE(waitChanges(1));
        ASSERT_EQ(0u, again.exit().value_or(99));
        EXPECT_EQ(row.changes, changesOf(folder, pictures, row.showOrder == 1));
        const std::string saved = folder.readIni(), key = saved.substr(std::min(saved.find("EACHMONITOR"), saved.size()), 15);
        EXPECT_EQ(row.eachMonitor == (row.monitors == nullptr) ? "EACHMONITOR=1\r\n" : "", key) << "kept, and only while on";
        RegDeleteKeyA(HKEY_CURRENT_USER, kVersionKey);
    }
    SetEnvironmentVariableA("TAVREL_STANDIN_MONITORS", nullptr);
}

}  // namespace
