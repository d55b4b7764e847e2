#include "ui/about_dialog.h"

#include <algorithm>

#include "base/globals.h"
#include "base/scoped_win.h"
#include "res/resource.h"

namespace {

void deleteAboutBitmap()
{
    if (aboutBitmap) {
        DeleteObject(aboutBitmap);
        aboutBitmap = nullptr;
    }
}

void closeAbout(HWND window, INT_PTR result)
{
    deleteAboutBitmap();
    EndDialog(window, result);
}

// The template places the texts in dialog units, which grow with the font
// (at 125 % on Windows 7) while the bitmap keeps its pixels. Each text keeps
// its height, spans the box (they are centred) and moves its middle to the
// same share of the box's height as in the template, inside the box.
void placeTexts(HWND window, LONG templateHeight)
{
    if (templateHeight <= 0)
        return;
    RECT box = {};
    GetClientRect(window, &box);
    for (HWND text = GetWindow(window, GW_CHILD); text; text = GetWindow(text, GW_HWNDNEXT)) {
        RECT placed = {};
        GetWindowRect(text, &placed);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&placed), 2);
        const LONG height = placed.bottom - placed.top;
        const LONG middle = MulDiv(placed.top + placed.bottom, box.bottom, 2 * templateHeight);
        const LONG top = std::max(0L, std::min(middle - height / 2, box.bottom - height));
        MoveWindow(text, 0, top, box.right, height, FALSE);
    }
}

// The window takes the bitmap's size, keeping the corner that centring gave it.
void onInitAbout(HWND window)
{
    aboutBitmap = LoadBitmapW(appInstance, MAKEINTRESOURCEW(IDB_ABOUT));
    if (!aboutBitmap)
        return;
    BITMAP bitmap = {};
    GetObjectW(aboutBitmap, sizeof bitmap, &bitmap);
    RECT placed = {}, client = {};
    GetWindowRect(window, &placed);
    GetClientRect(window, &client);
    MoveWindow(window, placed.left, placed.top, bitmap.bmWidth, bitmap.bmHeight, FALSE);
    placeTexts(window, client.bottom);
}

void onPaintAbout(HWND window)
{
    if (!aboutBitmap)
        return;
    BITMAP bitmap = {};
    GetObjectW(aboutBitmap, sizeof bitmap, &bitmap);
    ScopedGetDC dc(window);
    ScopedMemoryDC source(dc.get(), aboutBitmap);
    if (dc && source)
        BitBlt(dc.get(), 0, 0, bitmap.bmWidth, bitmap.bmHeight, source.get(), 0, 0, SRCCOPY);
}

}  // namespace

INT_PTR CALLBACK aboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        onInitAbout(window);
        return FALSE;
    case WM_PAINT:
        onPaintAbout(window);
        return FALSE;  // the default processing still validates the window
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            closeAbout(window, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    case WM_CTLCOLORSTATIC:
        // The texts stand on the picture without a background of their own.
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    case WM_LBUTTONDOWN:
        closeAbout(window, IDOK);
        return TRUE;
    case WM_DESTROY:
        // Also when the owner goes away while the box is open.
        deleteAboutBitmap();
        return FALSE;
    default:
        return FALSE;
    }
}
