// The settings dialog's preview under Wine, in-process: the real dialog 132
// with a picture of the test's own that records every Render call.

#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/app_globals.h"
#include "test_files.h"
#include "app/commands.h"
#include "app/resource.h"
#include "ui/preview.h"
#include "ui/preview_geometry.h"
#include "ui/settings_dialog.h"

void PrintTo(const RenderCall& c, std::ostream* out)
{
    *out << "Render(" << c.x << "," << c.y << "," << c.cx << "," << c.cy << "," << c.xSrc << "," << c.ySrc
         << "," << c.cxSrc << "," << c.cySrc << ")";
}

namespace {

// An IPicture that draws nothing and remembers each Render call and the
// window whose device context it was given.
class RecordingPicture : public IPicture {
public:
    std::vector<RenderCall> calls;
    std::vector<HWND> targets;
    bool boundsGiven = false;
    LONG refs = 1;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IPicture) {
            *out = static_cast<IPicture*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }  // lives on the test's stack
    HRESULT STDMETHODCALLTYPE get_Handle(OLE_HANDLE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_hPal(OLE_HANDLE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Type(SHORT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Width(OLE_XSIZE_HIMETRIC* w) override
    {
        *w = width;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Height(OLE_YSIZE_HIMETRIC* h) override
    {
        *h = height;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Render(HDC dc, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSrc,
                                     OLE_YPOS_HIMETRIC ySrc, OLE_XSIZE_HIMETRIC cxSrc,
                                     OLE_YSIZE_HIMETRIC cySrc, LPCRECT bounds) override
    {
        calls.push_back({x, y, cx, cy, xSrc, ySrc, cxSrc, cySrc});
        targets.push_back(WindowFromDC(dc));
        boundsGiven = boundsGiven || bounds != nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE set_hPal(OLE_HANDLE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_CurDC(HDC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SelectPicture(HDC, HDC*, OLE_HANDLE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_KeepOriginalFormat(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_KeepOriginalFormat(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PictureChanged() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SaveAsFile(LPSTREAM, BOOL, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Attributes(DWORD*) override { return E_NOTIMPL; }
};

// A 24-bit BMP of one colour.
bool writeBmp(const std::string& path, int width, int height, COLORREF colour)
{
    return writeBytes(path, bmpBytes(width, height, colour, colour));
}

std::string tempPath(const char* name)
{
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    return std::string(folder) + name;
}

RECT rectIn(HWND dialog, HWND control)
{
    RECT r = {};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class PreviewRender : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        appInstance = GetModuleHandleA(nullptr);
        state.settings = {1, 0, 12, 1, 0};
        activeSettingsDialog = &state;
    }
    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
        activeSettingsDialog = nullptr;
        appInstance = GetModuleHandleA(nullptr);
        CoUninitialize();
    }

    // The real dialog, modeless and hidden; WM_INITDIALOG has run.
    void openDialog()
    {
        dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS), nullptr,
                                    settingsDialogProc, 0);
        ASSERT_NE(nullptr, dialog);
    }

    void usePicture(int width, int height, int himetricWidth, int himetricHeight)
    {
        picture.width = himetricWidth;
        picture.height = himetricHeight;
        state.picture = &picture;
        state.pictureWidth = width;
        state.pictureHeight = height;
        state.himetricWidth = himetricWidth;
        state.himetricHeight = himetricHeight;
    }

    // What the arithmetic says for the area as it is now.
    std::vector<RenderCall> predicted() const
    {
        HWND area = GetDlgItem(dialog, IDC_PREVIEW_AREA);
        RECT client = {};
        GetClientRect(area, &client);
        HDC dc = GetDC(area);
        PreviewInput in = {};
        in.showMode = state.settings.showMode;
        in.areaLeft = client.left;
        in.areaTop = client.top;
        in.areaWidth = client.right - client.left;
        in.areaHeight = client.bottom - client.top;
        in.screenWidth = GetSystemMetrics(SM_CXSCREEN);
        in.screenHeight = GetSystemMetrics(SM_CYSCREEN);
        in.pictureWidth = state.pictureWidth;
        in.pictureHeight = state.pictureHeight;
        in.himetricWidth = state.himetricWidth;
        in.himetricHeight = state.himetricHeight;
        in.dpiX = GetDeviceCaps(dc, LOGPIXELSX);
        in.dpiY = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(area, dc);
        return previewRenderCalls(in);
    }

    std::vector<RenderCall> redraw()
    {
        picture.calls.clear();
        picture.targets.clear();
        redrawPreview(state);
        return picture.calls;
    }

    SettingsDialogState state;
    RecordingPicture picture;
    HWND dialog = nullptr;
};

TEST_F(PreviewRender, LayoutPutsTheAreaOverTheMonitorScreen)
{
    openDialog();
    HWND monitor = GetDlgItem(dialog, IDC_MONITOR);
    HWND area = GetDlgItem(dialog, IDC_PREVIEW_AREA);
    ASSERT_NE(nullptr, state.monitorBitmap);

    RECT corner = {204, 135, 0, 0};  // the monitor's corner in the template
    MapDialogRect(dialog, &corner);
    const RECT m = rectIn(dialog, monitor);
    EXPECT_EQ(corner.left, m.left);
    EXPECT_EQ(corner.top, m.top);
    EXPECT_EQ(184, m.right - m.left);
    EXPECT_EQ(148, m.bottom - m.top);

    const RECT a = rectIn(dialog, area);
    EXPECT_EQ(m.left + 16, a.left);
    EXPECT_EQ(m.top + 17, a.top);
    EXPECT_EQ(152, a.right - a.left);
    EXPECT_EQ(114, a.bottom - a.top);
    RECT client = {};
    GetClientRect(area, &client);
    EXPECT_EQ(152, client.right);
    EXPECT_EQ(114, client.bottom);
}

TEST_F(PreviewRender, RedrawMakesThePredictedCallsInEveryStyle)
{
    ASSERT_EQ(1024, GetSystemMetrics(SM_CXSCREEN));
    ASSERT_EQ(768, GetSystemMetrics(SM_CYSCREEN));
    openDialog();
    HWND area = GetDlgItem(dialog, IDC_PREVIEW_AREA);

    struct Row {
        const char* name;
        int mode, width, height, himetricWidth, himetricHeight;
        size_t count;
        RenderCall last;
    };
    const Row rows[] = {
        {"stretch 640x480", 2, 640, 480, 16933, 12700, 1, {0, 0, 152, 114, 0, 12700, 16933, -12700}},
        {"centre 640x480", 1, 640, 480, 16933, 12700, 1, {28, 21, 95, 71, 0, 12700, 16933, -12700}},
        {"centre 1600x1200", 1, 1600, 1200, 42333, 31750, 1, {0, 0, 152, 114, 7620, 20320, 27093, -20320}},
        {"tile 256x256", 0, 256, 256, 6773, 6773, 12, {114, 76, 38, 38, 0, 6773, 6773, -6773}},
        {"tile 300x300", 0, 300, 300, 7938, 7938, 12, {132, 88, 20, 26, 0, 4690, 3608, -4690}},
        {"tile 2000x1000", 0, 2000, 1000, 52917, 26458, 1, {0, 0, 152, 114, 0, 20379, 27173, -20379}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        state.settings.showMode = row.mode;
        usePicture(row.width, row.height, row.himetricWidth, row.himetricHeight);
        const std::vector<RenderCall> calls = redraw();
        EXPECT_EQ(predicted(), calls);
        ASSERT_EQ(row.count, calls.size());
        EXPECT_EQ(row.last, calls.back());
        for (HWND target : picture.targets)
            EXPECT_EQ(area, target);
        EXPECT_FALSE(picture.boundsGiven);
    }
}

TEST_F(PreviewRender, NothingIsRenderedWithoutPreviewOrWithAnUnknownStyle)
{
    openDialog();
    usePicture(640, 480, 16933, 12700);
    struct Row {
        const char* name;
        int mode, preview;
    };
    const Row rows[] = {
        {"preview off, tile", 0, 0},   {"preview off, centre", 1, 0}, {"preview off, stretch", 2, 0},
        {"style 3", 3, 1},             {"style -1", -1, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        state.settings.showMode = row.mode;
        state.settings.preview = row.preview;
        EXPECT_TRUE(redraw().empty());
    }
    // A picture whose pixel size came out as 0 draws nothing either.
    state.settings.showMode = 0;
    state.settings.preview = 1;
    usePicture(0, 0, 10, 10);
    EXPECT_TRUE(redraw().empty());
}

TEST_F(PreviewRender, ControlMessagesRedrawWithTheNewValues)
{
    openDialog();
    usePicture(640, 480, 16933, 12700);
    picture.calls.clear();
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_STRETCH, BN_CLICKED), 0);
    EXPECT_EQ(2, state.settings.showMode);
    ASSERT_EQ(1u, picture.calls.size());
    EXPECT_EQ((RenderCall{0, 0, 152, 114, 0, 12700, 16933, -12700}), picture.calls[0]);

    // Unchecking the preview box draws no picture; checking it draws the
    // same picture again without loading it.
    picture.calls.clear();
    SendDlgItemMessageA(dialog, IDC_PREVIEW, BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PREVIEW, BN_CLICKED), 0);
    EXPECT_EQ(0, state.settings.preview);
    EXPECT_TRUE(picture.calls.empty());
    SendDlgItemMessageA(dialog, IDC_PREVIEW, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PREVIEW, BN_CLICKED), 0);
    EXPECT_EQ(1, state.settings.preview);
    EXPECT_EQ(1u, picture.calls.size());
    EXPECT_EQ(&picture, static_cast<RecordingPicture*>(state.picture));

    // Order buttons redraw nothing.
    picture.calls.clear();
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_RANDOM, BN_CLICKED), 0);
    EXPECT_EQ(1, state.settings.showOrder);
    EXPECT_TRUE(picture.calls.empty());
}

TEST_F(PreviewRender, DestroyingTheDialogReleasesPictureAndBitmap)
{
    openDialog();
    usePicture(640, 480, 16933, 12700);
    HBITMAP bitmap = state.monitorBitmap;
    ASSERT_NE(nullptr, bitmap);
    DestroyWindow(dialog);
    dialog = nullptr;
    EXPECT_EQ(nullptr, state.picture);
    EXPECT_EQ(0, picture.refs);
    EXPECT_EQ(nullptr, state.monitorBitmap);
    EXPECT_EQ(0u, GetObjectType(bitmap));  // deleted
}

TEST_F(PreviewRender, WithoutTheMonitorBitmapTheMonitorStaysEmpty)
{
    appInstance = GetModuleHandleA("kernel32.dll");  // a module without bitmap 130
    openDialog();
    HWND monitor = GetDlgItem(dialog, IDC_MONITOR);
    EXPECT_EQ(nullptr, state.monitorBitmap);
    EXPECT_EQ(0, SendMessageA(monitor, STM_GETIMAGE, IMAGE_BITMAP, 0));

    // The controls keep their template rectangles.
    RECT expected = {204, 135, 204 + 117, 135 + 103};
    MapDialogRect(dialog, &expected);
    const RECT m = rectIn(dialog, monitor);
    EXPECT_EQ(expected.left, m.left);
    EXPECT_EQ(expected.top, m.top);
    EXPECT_EQ(expected.right - expected.left, m.right - m.left);

    // The picture still goes into the black area as it is.
    state.settings.showMode = 2;
    usePicture(640, 480, 16933, 12700);
    const std::vector<RenderCall> calls = redraw();
    EXPECT_EQ(predicted(), calls);
    EXPECT_EQ(1u, calls.size());
}

TEST_F(PreviewRender, SelectingARowLoadsItsPicture)
{
    const std::string bmp = tempPath("tavrel-preview-640x480.bmp");
    ASSERT_TRUE(writeBmp(bmp, 640, 480, RGB(200, 30, 160)));
    openDialog();
    HWND list = GetDlgItem(dialog, IDC_FILELIST);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(bmp.c_str()));
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("C:\\no-such-folder\\missing.bmp"));
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FILELIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    ASSERT_NE(nullptr, state.picture);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(640, state.pictureWidth);
    EXPECT_EQ(480, state.pictureHeight);
    EXPECT_EQ(MulDiv(640, 2540, dpi), state.himetricWidth);
    EXPECT_EQ(MulDiv(480, 2540, dpi), state.himetricHeight);

    // A row whose file is gone clears the earlier picture.
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FILELIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(nullptr, state.picture);
    DeleteFileA(bmp.c_str());
}

TEST(MonitorBitmap, ScreenAreaHasTheScreenColourExactly)
{
    HINSTANCE self = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(IDB_MONITOR), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    ASSERT_NE(nullptr, found);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(self, found)));
    ASSERT_NE(nullptr, header);
    EXPECT_EQ(184, header->biWidth);
    EXPECT_EQ(148, header->biHeight);
    EXPECT_EQ(8, header->biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), header->biCompression);
    EXPECT_EQ(6u, header->biClrUsed);

    HBITMAP bitmap = LoadBitmapA(self, MAKEINTRESOURCEA(IDB_MONITOR));
    ASSERT_NE(nullptr, bitmap);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 184;
    info.bmiHeader.biHeight = -148;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(184 * 148);
    HDC screen = GetDC(nullptr);
    const int lines = GetDIBits(screen, bitmap, 0, 148, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    ASSERT_EQ(148, lines);

    const DWORD screenColour = (60u << 16) | (110u << 8) | 164u;
    int wrongInside = 0;
    int screenColourOutside = 0;
    for (int y = 0; y < 148; ++y) {
        for (int x = 0; x < 184; ++x) {
            const bool inside = x >= 16 && x <= 167 && y >= 17 && y <= 130;
            const bool isScreen = (pixels[y * 184 + x] & 0xFFFFFF) == screenColour;
            if (inside && !isScreen)
                ++wrongInside;
            if (!inside && isScreen)
                ++screenColourOutside;
        }
    }
    EXPECT_EQ(0, wrongInside);
    EXPECT_EQ(0, screenColourOutside);
}

}  // namespace
