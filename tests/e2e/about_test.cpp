// The About box of the real program: its size and place, the picture it
// shows, and the ways a person closes it (a click anywhere, Enter, Escape).

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "driver.h"

namespace {

constexpr WORD kAbout = 32772;
constexpr int kWidth = 420;  // bitmap 137
constexpr int kHeight = 240;

HWND openAbout(const driver::Tavrel& app)
{
    app.command(kAbout);
    HWND about = nullptr;
    driver::waitUntil([&] {
        for (HWND dialog : driver::windowsOf(app.pid(), "", driver::kDialogClass))
            if (IsWindowVisible(dialog) && GetWindowTextLengthA(dialog) == 0)
                about = dialog;
        return about != nullptr;
    });
    Sleep(300);  // painted
    return about;
}

INT_PTR CALLBACK passiveDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Where the centred dialog template 131 alone puts the window (shown nowhere).
RECT templatePlacement(HMODULE exe)
{
    RECT rect = {};
    HRSRC found = FindResourceA(exe, MAKEINTRESOURCEA(131), MAKEINTRESOURCEA(5));
    const auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(exe, found)));
    HWND dialog = found ? CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate, nullptr,
                                                     passiveDialogProc, 0)
                        : nullptr;
    GetWindowRect(dialog, &rect);
    DestroyWindow(dialog);
    return rect;
}

// Bitmap 137's pixels as 0x00RRGGBB, top-down; empty unless 420 x 240.
std::vector<uint32_t> bitmapPixels(HMODULE exe)
{
    std::vector<uint32_t> pixels;
    auto bitmap = static_cast<HBITMAP>(LoadImageA(exe, MAKEINTRESOURCEA(137), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP info = {};
    if (!GetObjectA(bitmap, sizeof info, &info) || info.bmWidth != kWidth || info.bmHeight != kHeight)
        return pixels;
    BITMAPINFO format = {};
    format.bmiHeader = {sizeof format.bmiHeader, kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    pixels.resize(kWidth * kHeight);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, kHeight, pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    for (uint32_t& p : pixels)
        p &= 0x00FFFFFF;
    return pixels;
}

// Pixels of the box, outside its texts, unlike the bitmap drawn from the
// client's corner (every third pixel each way).
int picturePixelsWrong(HWND about, const std::vector<uint32_t>& bitmap)
{
    const driver::Screenshot shot = driver::captureScreen();
    POINT origin = {0, 0};
    ClientToScreen(about, &origin);
    RECT client = {};
    GetClientRect(about, &client);
    std::vector<RECT> texts;
    for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        texts.emplace_back();
        GetWindowRect(child, &texts.back());
        InflateRect(&texts.back(), 2, 2);
    }
    int wrong = 0;
    for (int y = 0; y < client.bottom && y < kHeight; y += 3)
        for (int x = 0; x < client.right && x < kWidth; x += 3) {
            const POINT at = {origin.x + x, origin.y + y};
            bool onText = false;
            for (const RECT& r : texts)
                onText = onText || PtInRect(&r, at);
            wrong += !onText && shot.at(at.x, at.y) != bitmap[static_cast<size_t>(y) * kWidth + x];
        }
    return wrong;
}

// Every row opens the box anew, so each shows that the bitmap is loaded
// again; the last is left open for Exit.
TEST(About, TakesTheBitmapsSizeAtTheCentredCornerAndClosesOnClicksEnterAndEscape)
{
    driver::AppFolder folder("about");
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    HMODULE exe = LoadLibraryExA(folder.exe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const std::vector<uint32_t> bitmap = bitmapPixels(exe);
    ASSERT_FALSE(bitmap.empty()) << "bitmap 137 is not 420 x 240";
    const RECT centred = templatePlacement(exe);
    FreeLibrary(exe);
    ASSERT_FALSE(IsRectEmpty(&centred));

    const struct {
        const char* name;
        const char* key;           // or a click
        const char* clickedText;   // a click on this text, or on the picture
    } rows[] = {
        {"click on the picture", nullptr, nullptr},
        {"click on the version text", nullptr, "Tavrel " TAVREL_TEST_VERSION},
        {"Enter", "Return", nullptr},
        {"Escape", "Escape", nullptr},
        {"Exit while open", nullptr, nullptr},
    };
    for (const auto& row : rows) {
        HWND about = openAbout(app);
        ASSERT_NE(nullptr, about) << row.name << ": About did not open";
        RECT placed = {};
        GetWindowRect(about, &placed);
        EXPECT_EQ(kWidth, placed.right - placed.left) << row.name;
        EXPECT_EQ(kHeight, placed.bottom - placed.top) << row.name;
        EXPECT_EQ(centred.left, placed.left) << row.name << ": not where the centred template is";
        EXPECT_EQ(centred.top, placed.top) << row.name << ": not where the centred template is";
        EXPECT_EQ(0, picturePixelsWrong(about, bitmap)) << row.name << ": the picture is not drawn as it is";
        if (&row == rows)
            driver::captureScreen().save("about_dialog");

        if (&row == std::end(rows) - 1) {
            // Exit from the tray menu is carried out inside the box's own loop.
            EXPECT_EQ(0u, app.exit().value_or(1)) << row.name << " did not end the program with 0";
            EXPECT_TRUE(folder.readIni().has_value()) << row.name << " did not save";
        } else if (row.key) {
            SetForegroundWindow(about);
            ASSERT_TRUE(driver::waitUntil([&] { return GetForegroundWindow() == about; }, 3000)) << row.name;
            for (const char* other : {"a", "space", "Tab", "Down", "F1"}) {
                driver::xdotoolKey(other);
                Sleep(200);
                EXPECT_TRUE(IsWindowVisible(about)) << row.name << ": the key " << other << " closed it";
            }
            driver::xdotoolKey(row.key);
        } else {
            RECT text = {placed.left + 30, placed.top + 30, placed.left + 30, placed.top + 30};
            if (row.clickedText) {
                HWND version = FindWindowExA(about, nullptr, "Static", row.clickedText);
                ASSERT_NE(nullptr, version) << "no version text";
                GetWindowRect(version, &text);
            }
            driver::xdotoolClick((text.left + text.right) / 2, (text.top + text.bottom) / 2, 1);
        }
        ASSERT_TRUE(driver::waitGone(about, 5000)) << row.name << " did not close About";
    }
}

}  // namespace
