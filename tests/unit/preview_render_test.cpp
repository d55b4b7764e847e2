// The settings dialog's preview under Wine, in-process: the real dialog 132
// with a picture of the test's own that records every Render call.

#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <ostream>
#include <string>
#include <vector>

#include "base/globals.h"
#include "rotation/wallpaper_list.h"
#include "settings/profile_file.h"
#include "app/resource.h"
#include "ui/preview.h"
#include "ui/preview_geometry.h"
#include "ui/settings_dialog.h"

void PrintTo(const RenderCall& c, std::ostream* out)
{
    *out << "Render(" << c.x << "," << c.y << "," << c.cx << "," << c.cy << "," << c.xSrc << "," << c.ySrc
         << "," << c.cxSrc << "," << c.cySrc << ")";
}

bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
void PrintTo(const RECT& r, std::ostream* out)
{
    *out << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

namespace {

// Draws nothing; remembers each Render call and the window of its device context.
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
        *out = iid == IID_IUnknown || iid == IID_IPicture ? static_cast<IPicture*>(this) : nullptr;
        return *out ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }  // lives in the fixture
    HRESULT STDMETHODCALLTYPE get_Handle(OLE_HANDLE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_hPal(OLE_HANDLE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Type(SHORT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Width(OLE_XSIZE_HIMETRIC* w) override { return *w = width, S_OK; }
    HRESULT STDMETHODCALLTYPE get_Height(OLE_YSIZE_HIMETRIC* h) override { return *h = height, S_OK; }
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

class PreviewRender : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
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

    // The real dialog, modeless and hidden, after WM_INITDIALOG; resources from `module`.
    void openDialog(HINSTANCE module = GetModuleHandleA(nullptr))
    {
        appInstance = module;
        dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS), nullptr,
                                    settingsDialogProc, 0);
        ASSERT_NE(nullptr, dialog);
    }

    void usePicture(int width, int height, int himetricWidth, int himetricHeight)
    {
        picture.width = state.himetricWidth = himetricWidth;
        picture.height = state.himetricHeight = himetricHeight;
        state.picture = &picture;
        state.pictureWidth = width;
        state.pictureHeight = height;
    }

    // What the arithmetic says for the area as it is now.
    std::vector<RenderCall> predicted() const
    {
        HWND area = GetDlgItem(dialog, IDC_PREVIEW_AREA);
        RECT client = {};
        GetClientRect(area, &client);
        HDC dc = GetDC(area);
        const PreviewInput in = {state.settings.showMode, client.left, client.top, client.right - client.left,
                                 client.bottom - client.top, GetSystemMetrics(SM_CXSCREEN),
                                 GetSystemMetrics(SM_CYSCREEN), state.pictureWidth, state.pictureHeight,
                                 state.himetricWidth, state.himetricHeight, GetDeviceCaps(dc, LOGPIXELSX),
                                 GetDeviceCaps(dc, LOGPIXELSY)};
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

    // The control's rectangle in the dialog's client coordinates.
    RECT rectOf(int id) const
    {
        RECT r = {};
        GetWindowRect(GetDlgItem(dialog, id), &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    void command(int id, WORD code = BN_CLICKED)
    {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }

    SettingsDialogState state;
    RecordingPicture picture;
    HWND dialog = nullptr;
};

TEST_F(PreviewRender, LayoutPutsTheAreaOverTheMonitorScreenAndDestroyReleasesAll)
{
    openDialog();
    ASSERT_NE(nullptr, state.monitorBitmap);
    RECT corner = {204, 135, 0, 0};  // the monitor's corner in the template
    MapDialogRect(dialog, &corner);
    const RECT m = rectOf(IDC_MONITOR);
    EXPECT_EQ((RECT{corner.left, corner.top, corner.left + 184, corner.top + 148}), m);
    const RECT a = rectOf(IDC_PREVIEW_AREA);
    EXPECT_EQ((RECT{m.left + 16, m.top + 17, m.left + 168, m.top + 131}), a);
    RECT client = {};
    GetClientRect(GetDlgItem(dialog, IDC_PREVIEW_AREA), &client);
    EXPECT_EQ((RECT{0, 0, 152, 114}), client);

    usePicture(640, 480, 16933, 12700);
    HBITMAP bitmap = state.monitorBitmap;
    DestroyWindow(dialog);
    dialog = nullptr;
    EXPECT_EQ(nullptr, state.picture);
    EXPECT_EQ(0, picture.refs);
    EXPECT_EQ(nullptr, state.monitorBitmap);
    EXPECT_EQ(0u, GetObjectType(bitmap));  // deleted
}

TEST_F(PreviewRender, RedrawMakesThePredictedCallsInEveryStyleAndNoneWithoutPreview)
{
    ASSERT_EQ(1024, GetSystemMetrics(SM_CXSCREEN));
    ASSERT_EQ(768, GetSystemMetrics(SM_CYSCREEN));
    openDialog();
    const struct {
        const char* name;
        int mode, preview, width, height, himetricWidth, himetricHeight;
        size_t count;
    } rows[] = {
        {"stretch 640x480", 2, 1, 640, 480, 16933, 12700, 1},
        {"centre 640x480", 1, 1, 640, 480, 16933, 12700, 1},
        {"centre 1600x1200", 1, 1, 1600, 1200, 42333, 31750, 1},
        {"tile 256x256", 0, 1, 256, 256, 6773, 6773, 12},
        {"tile 300x300", 0, 1, 300, 300, 7938, 7938, 12},
        {"tile 2000x1000", 0, 1, 2000, 1000, 52917, 26458, 1},
        {"preview off, tile", 0, 0, 640, 480, 16933, 12700, 0},
        {"preview off, centre", 1, 0, 640, 480, 16933, 12700, 0},
        {"preview off, stretch", 2, 0, 640, 480, 16933, 12700, 0},
        {"style 3", 3, 1, 640, 480, 16933, 12700, 0},
        {"style -1", -1, 1, 640, 480, 16933, 12700, 0},
        {"picture of 0 pixels", 0, 1, 0, 0, 10, 10, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        state.settings.showMode = row.mode;
        state.settings.preview = row.preview;
        usePicture(row.width, row.height, row.himetricWidth, row.himetricHeight);
        const std::vector<RenderCall> calls = redraw();
        EXPECT_EQ(row.count, calls.size());
        if (row.preview) {
            EXPECT_EQ(predicted(), calls);
        }
        for (HWND target : picture.targets)
            EXPECT_EQ(GetDlgItem(dialog, IDC_PREVIEW_AREA), target);
        EXPECT_FALSE(picture.boundsGiven);
    }
}

TEST_F(PreviewRender, ControlMessagesRedrawWithTheNewValues)
{
    openDialog();
    usePicture(640, 480, 16933, 12700);
    picture.calls.clear();
    command(IDC_STRETCH);
    EXPECT_EQ(2, state.settings.showMode);
    EXPECT_EQ((std::vector<RenderCall>{{0, 0, 152, 114, 0, 12700, 16933, -12700}}), picture.calls);

    // Unchecked, no picture; checked again, the same picture without loading it.
    picture.calls.clear();
    SendDlgItemMessageA(dialog, IDC_PREVIEW, BM_SETCHECK, BST_UNCHECKED, 0);
    command(IDC_PREVIEW);
    EXPECT_EQ(0, state.settings.preview);
    EXPECT_TRUE(picture.calls.empty());
    SendDlgItemMessageA(dialog, IDC_PREVIEW, BM_SETCHECK, BST_CHECKED, 0);
    command(IDC_PREVIEW);
    EXPECT_EQ(1, state.settings.preview);
    EXPECT_EQ(1u, picture.calls.size());
    EXPECT_EQ(&picture, static_cast<RecordingPicture*>(state.picture));
}

// On a double-byte code page Windows may report a row's length as more than
// it is (Wine never does): the list box here over-reports every row.
WNDPROC listBoxProc = nullptr;
LRESULT CALLBACK overReportingListBox(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallWindowProcA(listBoxProc, window, message, wParam, lParam);
    return message == LB_GETTEXTLEN && result != LB_ERR ? 2 * result + 2 : result;
}

TEST_F(PreviewRender, OkKeepsEveryRowThatFitsWhateverItsReportedLength)
{
    const std::string shortPath = "C:\\a.bmp";
    const std::string longPath = "C:\\" + std::string(252, 'p') + ".bmp";  // 259 bytes
    wallpaperList.clear();
    wallpaperList.append(shortPath.c_str());
    wallpaperList.append(longPath.c_str());
    openDialog();
    HWND list = GetDlgItem(dialog, IDC_FILELIST);
    listBoxProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(overReportingListBox)));
    const std::string tooLong = longPath + "x";  // 260 bytes: no path buffer holds it
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(tooLong.c_str()));
    state.listChanged = 1;
    command(IDOK);
    std::vector<std::string> kept;
    for (int32_t i = 0, n = wallpaperList.count(); i < n; ++i, wallpaperList.advance())
        kept.emplace_back(wallpaperList.current());
    EXPECT_EQ((std::vector<std::string>{shortPath, longPath}), kept);
    wallpaperList.clear();
}

TEST_F(PreviewRender, WithoutTheMonitorBitmapTheMonitorStaysEmpty)
{
    openDialog(GetModuleHandleA("kernel32.dll"));  // a module without bitmap 130
    EXPECT_EQ(nullptr, state.monitorBitmap);
    EXPECT_EQ(0, SendDlgItemMessageA(dialog, IDC_MONITOR, STM_GETIMAGE, IMAGE_BITMAP, 0));
    RECT expected = {204, 135, 204 + 117, 135 + 103};  // the template's rectangle, kept
    MapDialogRect(dialog, &expected);
    const RECT m = rectOf(IDC_MONITOR);
    EXPECT_EQ(expected.left, m.left);
    EXPECT_EQ(expected.top, m.top);
    EXPECT_EQ(expected.right, m.right);

    // The picture still goes into the black area as it is.
    state.settings.showMode = 2;
    usePicture(640, 480, 16933, 12700);
    const std::vector<RenderCall> calls = redraw();
    EXPECT_EQ(1u, calls.size());
    EXPECT_EQ(predicted(), calls);
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
    info.bmiHeader = {sizeof info.bmiHeader, 184, -148, 1, 32, BI_RGB, 0, 0, 0, 0, 0};  // top-down
    std::vector<DWORD> pixels(184 * 148);
    HDC screen = GetDC(nullptr);
    const int lines = GetDIBits(screen, bitmap, 0, 148, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    ASSERT_EQ(148, lines);
    int wrong = 0;  // screen colour exactly inside x 16..167, y 17..130, nowhere outside
    for (int y = 0; y < 148; ++y)
        for (int x = 0; x < 184; ++x) {
            const bool inside = x >= 16 && x <= 167 && y >= 17 && y <= 130;
            wrong += inside != ((pixels[y * 184 + x] & 0xFFFFFF) == 0x3C6EA4);  // RGB(60, 110, 164)
        }
    EXPECT_EQ(0, wrong);
}

}  // namespace
