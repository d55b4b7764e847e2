// The About box of the real program: its size and place, the picture it
// shows, and the ways a person closes it (a click anywhere, Enter, Escape).

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "driver.h"

namespace {

constexpr WORD kAbout = 32772;
constexpr int kBitmapWidth = 420;
constexpr int kBitmapHeight = 240;

std::string describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// The program's visible dialog without a title: the About box.
HWND aboutOf(const driver::Tavrel& app)
{
    for (HWND dialog : driver::windowsOf(app.pid(), "", driver::kDialogClass)) {
        char text[64] = {};
        GetWindowTextA(dialog, text, sizeof text);
        if (IsWindowVisible(dialog) && !text[0])
            return dialog;
    }
    return nullptr;
}

HWND openAbout(const driver::Tavrel& app)
{
    app.command(kAbout);
    HWND about = nullptr;
    driver::waitUntil([&] { return (about = aboutOf(app)) != nullptr; });
    Sleep(300);  // painted
    return about;
}

INT_PTR CALLBACK passiveDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Dialog 131 and bitmap 137 of a copy of Tavrel.exe, read by the test.
class AboutResources {
public:
    explicit AboutResources(const std::string& exe)
        : module_(LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE))
    {
    }
    ~AboutResources() { FreeLibrary(module_); }

    // Where the centred template alone puts the window (shown nowhere).
    RECT templatePlacement() const
    {
        RECT rect = {};
        HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(131), MAKEINTRESOURCEA(5));
        if (!found)
            return rect;
        const auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(module_, found)));
        HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate, nullptr, passiveDialogProc, 0);
        if (dialog) {
            GetWindowRect(dialog, &rect);
            DestroyWindow(dialog);
        }
        return rect;
    }

    // The bitmap's pixels as 0x00RRGGBB, top-down.
    std::vector<uint32_t> bitmapPixels(int& width, int& height) const
    {
        std::vector<uint32_t> pixels;
        HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageA(module_, MAKEINTRESOURCEA(137), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        if (!bitmap)
            return pixels;
        BITMAP info = {};
        GetObjectA(bitmap, sizeof info, &info);
        width = info.bmWidth;
        height = info.bmHeight;
        BITMAPINFO format = {};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = width;
        format.bmiHeader.biHeight = -height;
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        format.bmiHeader.biCompression = BI_RGB;
        pixels.resize(static_cast<size_t>(width) * height);
        HDC screen = GetDC(nullptr);
        GetDIBits(screen, bitmap, 0, height, pixels.data(), &format, DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        DeleteObject(bitmap);
        for (uint32_t& p : pixels)
            p &= 0x00FFFFFF;
        return pixels;
    }

private:
    HMODULE module_;
};

// Pixels of the client area, outside the texts, that differ from the
// bitmap drawn from the client's corner.
int picturePixelsWrong(HWND about, const driver::Screenshot& shot, const std::vector<uint32_t>& bitmap, int width,
                       int height)
{
    POINT origin = {0, 0};
    ClientToScreen(about, &origin);
    RECT client = {};
    GetClientRect(about, &client);
    std::vector<RECT> texts;
    for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r = {};
        GetWindowRect(child, &r);
        InflateRect(&r, 2, 2);
        texts.push_back(r);
    }
    int wrong = 0;
    for (int y = 0; y < client.bottom && y < height; y += 3)
        for (int x = 0; x < client.right && x < width; x += 3) {
            const POINT at = {origin.x + x, origin.y + y};
            bool onText = false;
            for (const RECT& r : texts)
                onText = onText || PtInRect(&r, at);
            if (!onText && shot.at(at.x, at.y) != bitmap[static_cast<size_t>(y) * width + x])
                ++wrong;
        }
    return wrong;
}

TEST(About, TakesTheBitmapsSizeAtTheCentredCornerAndShowsIt)
{
    driver::AppFolder folder("about-look");
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    AboutResources resources(folder.exe());
    int width = 0;
    int height = 0;
    const std::vector<uint32_t> bitmap = resources.bitmapPixels(width, height);
    ASSERT_EQ(kBitmapWidth, width);
    ASSERT_EQ(kBitmapHeight, height);
    const RECT centred = resources.templatePlacement();
    ASSERT_FALSE(IsRectEmpty(&centred));

    HWND about = openAbout(app);
    ASSERT_NE(nullptr, about);
    RECT placed = {};
    GetWindowRect(about, &placed);
    EXPECT_EQ(kBitmapWidth, placed.right - placed.left) << describe(placed);
    EXPECT_EQ(kBitmapHeight, placed.bottom - placed.top) << describe(placed);
    EXPECT_EQ(centred.left, placed.left) << "template " << describe(centred) << ", shown " << describe(placed);
    EXPECT_EQ(centred.top, placed.top) << "template " << describe(centred) << ", shown " << describe(placed);
    EXPECT_EQ(app.window(), GetWindow(about, GW_OWNER));

    const driver::Screenshot shot = driver::captureScreen();
    shot.save("about_dialog");
    EXPECT_EQ(0, picturePixelsWrong(about, shot, bitmap, width, height)) << "the picture is not drawn as it is";
    PostMessageA(about, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(driver::waitGone(about));
    EXPECT_EQ(0u, app.exit().value_or(1));
}

struct CloseCase {
    const char* name;
    enum { ClickPicture, ClickVersionText, Key } how;
    const char* key;
};

TEST(About, ClosesOnAnyClickEnterAndEscapeButNoOtherKey)
{
    driver::AppFolder folder("about-close");
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    AboutResources resources(folder.exe());
    int width = 0;
    int height = 0;
    const std::vector<uint32_t> bitmap = resources.bitmapPixels(width, height);

    const CloseCase cases[] = {
        {"click on the picture", CloseCase::ClickPicture, nullptr},
        {"click on the version text", CloseCase::ClickVersionText, nullptr},
        {"Enter", CloseCase::Key, "Return"},
        {"Escape", CloseCase::Key, "Escape"},
    };
    // Every row opens the box anew: the bitmap is loaded again each time.
    for (const CloseCase& row : cases) {
        HWND about = openAbout(app);
        ASSERT_NE(nullptr, about) << row.name << ": About did not open";
        RECT placed = {};
        GetWindowRect(about, &placed);
        EXPECT_EQ(kBitmapWidth, placed.right - placed.left) << row.name;
        EXPECT_EQ(kBitmapHeight, placed.bottom - placed.top) << row.name;
        EXPECT_EQ(0, picturePixelsWrong(about, driver::captureScreen(), bitmap, width, height)) << row.name;

        if (row.how == CloseCase::Key) {
            SetForegroundWindow(about);
            ASSERT_TRUE(driver::waitUntil([&] { return GetForegroundWindow() == about; }, 3000)) << row.name;
            for (const char* other : {"a", "space", "Tab", "Down", "F1"}) {
                driver::xdotoolKey(other);
                Sleep(200);
                EXPECT_TRUE(IsWindowVisible(about)) << row.name << ": the key " << other << " closed it";
            }
            driver::xdotoolKey(row.key);
        } else {
            POINT at = {placed.left + 30, placed.top + 30};
            if (row.how == CloseCase::ClickVersionText) {
                HWND version = FindWindowExA(about, nullptr, "Static", "Tavrel 1.0");
                ASSERT_NE(nullptr, version) << "no version text";
                RECT text = {};
                GetWindowRect(version, &text);
                at = {(text.left + text.right) / 2, (text.top + text.bottom) / 2};
            }
            driver::xdotoolClick(at.x, at.y, 1);
        }
        EXPECT_TRUE(driver::waitGone(about, 5000)) << row.name << " did not close About";
        if (IsWindow(about)) {
            PostMessageA(about, WM_COMMAND, IDCANCEL, 0);
            driver::waitGone(about, 5000);
        }
    }
    EXPECT_EQ(0u, app.exit().value_or(1));
}

TEST(About, ExitWhileOpenSavesAndEndsTheProgram)
{
    driver::AppFolder folder("about-exit");
    driver::Tavrel app(folder);
    ASSERT_NE(nullptr, app.window());
    HWND about = openAbout(app);
    ASSERT_NE(nullptr, about);
    // Exit from the tray menu is carried out inside the box's own loop.
    const auto code = app.exit();
    ASSERT_TRUE(code.has_value()) << "Exit with About open did not end the program";
    EXPECT_EQ(0u, *code);
    EXPECT_FALSE(IsWindow(about));
    EXPECT_TRUE(folder.readIni().has_value()) << "Exit with About open did not save";
}

}  // namespace
