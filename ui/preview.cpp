#include "ui/preview.h"

#include <cstring>

#include "base/globals.h"
#include "base/path_text.h"
#include "base/scoped_win.h"
#include "res/resource.h"
#include "ui/list_row.h"
#include "ui/preview_geometry.h"
#include "ui/settings_dialog.h"

namespace {

// The monitor bitmap's flat screen: 152 x 114 pixels at (16, 17).
constexpr RECT kScreenInBitmap = {16, 17, 168, 131};

HWND dialogControl(const SettingsDialogState& state, int id) { return GetDlgItem(state.dialogWindow, id); }

BSTR ansiToBstr(const char* text)
{
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (wideLength <= 0)
        return nullptr;
    BSTR wide = SysAllocStringLen(nullptr, static_cast<UINT>(wideLength - 1));
    if (wide && MultiByteToWideChar(CP_ACP, 0, text, -1, wide, wideLength) == 0) {
        SysFreeString(wide);
        return nullptr;
    }
    return wide;
}

void moveControlToRect(HWND control, const RECT& rect)
{
    MoveWindow(control, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

// The screen in the physical pixels that the shell draws the wallpaper in.
// Above 100 % Windows 8.1 and later give a DPI-unaware program scaled
// metrics, but the desktop resolution of the screen's DC unscaled; where that
// is not reported (0, or less than the metrics), the metrics are the pixels.
SIZE physicalScreenSize()
{
    SIZE size = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    ScopedGetDC screen(nullptr);
    if (screen) {
        const SIZE desktop = {GetDeviceCaps(screen.get(), DESKTOPHORZRES),
                              GetDeviceCaps(screen.get(), DESKTOPVERTRES)};
        if (desktop.cx >= size.cx && desktop.cy >= size.cy)
            size = desktop;
    }
    return size;
}

void drawPicture(const SettingsDialogState& state, HDC dc, const RECT& client)
{
    const SIZE screen = physicalScreenSize();
    PreviewInput input = {};
    input.showMode = state.settings.showMode;
    input.areaLeft = client.left;
    input.areaTop = client.top;
    input.areaWidth = client.right - client.left;
    input.areaHeight = client.bottom - client.top;
    input.screenWidth = screen.cx;
    input.screenHeight = screen.cy;
    input.pictureWidth = state.pictureWidth;
    input.pictureHeight = state.pictureHeight;
    input.himetricWidth = state.himetricWidth;
    input.himetricHeight = state.himetricHeight;
    input.dpiX = GetDeviceCaps(dc, LOGPIXELSX);
    input.dpiY = GetDeviceCaps(dc, LOGPIXELSY);

    // The default stretch mode drops rows and columns when it shrinks, which
    // leaves dark seams in a photo scaled down this far.
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    for (const RenderCall& call : previewRenderCalls(input)) {
        state.picture->Render(dc, call.x, call.y, call.cx, call.cy, call.xSrc, call.ySrc,
                              call.cxSrc, call.cySrc, nullptr);
    }
}

// Replaces the loaded picture; false (and no picture) when it cannot load.
bool loadPicture(SettingsDialogState& state, const char* path)
{
    releasePicture(state);
    ScopedCom<IPicture> picture;
    {
        ScopedBstr widePath(ansiToBstr(path));
        if (!widePath)
            return false;
        if (OleLoadPicturePath(widePath.get(), nullptr, 0, 0, IID_IPicture, picture.receiveVoid()) != S_OK ||
            !picture)
            return false;
    }

    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);
    state.himetricWidth = width;
    state.himetricHeight = height;

    ScopedGetDC screen(nullptr);
    const int dpiX = screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    const int dpiY = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    state.pictureWidth = MulDiv(width, dpiX, 2540);
    state.pictureHeight = MulDiv(height, dpiY, 2540);
    state.picture = picture.detach();
    return true;
}

}  // namespace

bool layoutPreview(SettingsDialogState& state)
{
    state.monitorBitmap = LoadBitmapA(appInstance, MAKEINTRESOURCEA(IDB_MONITOR));
    if (!state.monitorBitmap)
        return false;
    BITMAP bitmap = {};
    GetObjectA(state.monitorBitmap, sizeof bitmap, &bitmap);

    // The controls draw the monitor and the preview themselves: a version 6
    // static paints over whatever the dialog drew in its place.
    HWND monitor = dialogControl(state, IDC_MONITOR);
    SendMessageA(monitor, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(state.monitorBitmap));
    RECT placed = {};
    GetWindowRect(monitor, &placed);
    POINT corner = {placed.left, placed.top};
    ScreenToClient(state.dialogWindow, &corner);

    moveControlToRect(monitor, {corner.x, corner.y, corner.x + bitmap.bmWidth, corner.y + bitmap.bmHeight});
    moveControlToRect(dialogControl(state, IDC_PREVIEW_AREA),
                      {corner.x + kScreenInBitmap.left, corner.y + kScreenInBitmap.top,
                       corner.x + kScreenInBitmap.right, corner.y + kScreenInBitmap.bottom});
    return true;
}

void showSelected(SettingsDialogState& state)
{
    HWND list = dialogControl(state, IDC_FILELIST);
    const LRESULT row = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (row == LB_ERR)
        return;
    char path[kPathSize];
    if (!readListRow(list, static_cast<int>(row), path))
        return;
    loadPicture(state, path);
    redrawPreview(state);
}

void redrawPreview(const SettingsDialogState& state)
{
    InvalidateRect(dialogControl(state, IDC_PREVIEW_AREA), nullptr, FALSE);
}

void drawPreview(const SettingsDialogState& state, const DRAWITEMSTRUCT& item)
{
    FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (state.picture && state.settings.preview)
        drawPicture(state, item.hDC, item.rcItem);
}

void releasePicture(SettingsDialogState& state)
{
    if (state.picture) {
        state.picture->Release();
        state.picture = nullptr;
    }
}
