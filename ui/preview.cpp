#include "ui/preview.h"

#include "base/globals.h"
#include "base/screen_size.h"
#include "base/path_text.h"
#include "base/scoped_win.h"
#include "res/resource.h"
#include "ui/list_row.h"
#include "ui/preview_geometry.h"
#include "ui/preview_picture.h"
#include "ui/settings_dialog.h"

namespace {

// The monitor bitmap's flat screen: 152 x 114 pixels at (16, 17).
constexpr RECT kScreenInBitmap = {16, 17, 168, 131};
// Longer than a held key's usual 33 ms between repeats, short enough to seem at once.
constexpr UINT kSettleMs = 100;

HWND dialogControl(const SettingsDialogState& state, int id) { return GetDlgItem(state.dialogWindow, id); }

void moveControlToRect(HWND control, const RECT& rect)
{
    MoveWindow(control, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

PixelSize primaryScreenSize()
{
    const SIZE screen = primaryScreenPixels();
    return {screen.cx, screen.cy};
}

// The desktop spanning every monitor, in the screen's physical pixels: the
// metrics give both in the same scaled ones.
void addDesktop(PreviewInput& input)
{
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (screenWidth <= 0 || screenHeight <= 0)
        return;
    input.desktopLeft = MulDiv(GetSystemMetrics(SM_XVIRTUALSCREEN), input.screenWidth, screenWidth);
    input.desktopTop = MulDiv(GetSystemMetrics(SM_YVIRTUALSCREEN), input.screenHeight, screenHeight);
    input.desktopWidth = MulDiv(GetSystemMetrics(SM_CXVIRTUALSCREEN), input.screenWidth, screenWidth);
    input.desktopHeight = MulDiv(GetSystemMetrics(SM_CYVIRTUALSCREEN), input.screenHeight, screenHeight);
}

void drawPicture(const SettingsDialogState& state, HDC dc, const RECT& client)
{
    const PixelSize screen = primaryScreenSize();
    PreviewInput input = {};
    input.showMode = state.settings.showMode;
    input.areaLeft = client.left;
    input.areaTop = client.top;
    input.areaWidth = client.right - client.left;
    input.areaHeight = client.bottom - client.top;
    input.screenWidth = screen.width;
    input.screenHeight = screen.height;
    input.pictureWidth = state.pictureWidth;
    input.pictureHeight = state.pictureHeight;
    input.himetricWidth = state.himetricWidth;
    input.himetricHeight = state.himetricHeight;
    addDesktop(input);

    // The default stretch mode drops rows and columns when it shrinks, which
    // leaves dark seams in a photo scaled down this far.
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    for (const RenderCall& call : previewRenderCalls(input)) {
        state.picture->Render(dc, call.x, call.y, call.cx, call.cy, call.xSrc, call.ySrc,
                              call.cxSrc, call.cySrc, nullptr);
    }
}

// OLE's loader, for what the Imaging Component cannot read: the picture at
// its full size, which its HIMETRIC size gives in screen pixels.
bool loadWithOle(LPOLESTR path, ScopedCom<IPicture>& picture, PixelSize& pixels)
{
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    if (OleLoadPicturePath(path, nullptr, 0, 0, IID_IPicture, picture.receiveVoid()) != S_OK || !picture)
        return false;
    picture->get_Width(&width);
    picture->get_Height(&height);
    ScopedGetDC screen(nullptr);
    pixels = {MulDiv(width, screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 96, 2540),
              MulDiv(height, screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96, 2540)};
    return true;
}

// Replaces the loaded picture; false (and no picture) when it cannot load.
bool loadPicture(SettingsDialogState& state, const wchar_t* path)
{
    releasePicture(state);
    ScopedCom<IPicture> picture;
    PixelSize pixels = {};
    RECT area = {};
    GetClientRect(dialogControl(state, IDC_PREVIEW_AREA), &area);
    {
        ScopedBstr widePath(SysAllocString(path));
        if (!widePath || (!decodeForPreview(widePath.get(), {area.right, area.bottom}, primaryScreenSize(), picture,
                                            pixels) &&
                          !loadWithOle(widePath.get(), picture, pixels)))
            return false;
    }
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);
    state.himetricWidth = width;
    state.himetricHeight = height;
    state.pictureWidth = pixels.width;
    state.pictureHeight = pixels.height;
    state.picture = picture.detach();
    return true;
}

}  // namespace

bool layoutPreview(SettingsDialogState& state)
{
    state.monitorBitmap = LoadBitmapW(appInstance, MAKEINTRESOURCEW(IDB_MONITOR));
    if (!state.monitorBitmap)
        return false;
    BITMAP bitmap = {};
    GetObjectW(state.monitorBitmap, sizeof bitmap, &bitmap);

    // The controls draw the monitor and the preview themselves: a version 6
    // static paints over whatever the dialog drew in its place.
    HWND monitor = dialogControl(state, IDC_MONITOR);
    SendMessageW(monitor, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(state.monitorBitmap));
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

void selectionMoved(SettingsDialogState& state)
{
    // The timer runs from the last move: KillTimer tells whether one came
    // within the keyboard's repeat delay.
    if (KillTimer(state.dialogWindow, IDT_PREVIEW_SETTLED)) {
        releasePicture(state);
        redrawPreview(state);
        SetTimer(state.dialogWindow, IDT_PREVIEW_SETTLED, kSettleMs, nullptr);
        return;
    }
    showSelected(state);
    int repeatDelay = 1;  // 0 to 3: about 250 ms to 1 s before a held key repeats
    SystemParametersInfoA(SPI_GETKEYBOARDDELAY, 0, &repeatDelay, 0);
    SetTimer(state.dialogWindow, IDT_PREVIEW_SETTLED, (repeatDelay + 1) * 250 + kSettleMs, nullptr);
}

void selectionSettled(SettingsDialogState& state)
{
    KillTimer(state.dialogWindow, IDT_PREVIEW_SETTLED);
    if (!state.picture)
        showSelected(state);
}

void showSelected(SettingsDialogState& state)
{
    HWND list = dialogControl(state, IDC_FILELIST);
    const LRESULT row = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (row == LB_ERR)
        return;
    wchar_t path[kPathSize];
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
