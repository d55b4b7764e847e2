#include "rotation/wallpaper_applier.h"

#include <windows.h>
#include <wininet.h>
#include <shlobj.h>

#include <cwchar>

#include "base/path_text.h"
#include "base/scoped_win.h"
#include "base/windows_version.h"

namespace {

// Fit and fill came with Windows 7, span with Windows 8; an older shell
// knows only the first three styles.
bool shellFitsAndFills() { return windowsAtLeast(6, 1); }

// The shell numbers centre 0 and tile 1, the other way round from ours; fit
// and fill have the same numbers.
DWORD wallpaperStyle(int32_t showMode)
{
    switch (showMode) {
    case 0:
        return WPSTYLE_TILE;
    case 1:
        return WPSTYLE_CENTER;
    case 3:
        return shellFitsAndFills() ? WPSTYLE_KEEPASPECT : WPSTYLE_STRETCH;
    case 4:
        return shellFitsAndFills() ? WPSTYLE_CROPTOFIT : WPSTYLE_STRETCH;
    case 5:
        return windowsAtLeast(6, 2) ? WPSTYLE_SPAN : WPSTYLE_STRETCH;
    default:
        return WPSTYLE_STRETCH;
    }
}

BSTR pathToBstr(const wchar_t* path)
{
    WCHAR wide[kPathSize];
    return shellWallpaperPath(path, wide) ? SysAllocString(wide) : nullptr;
}

}  // namespace

bool shellWallpaperPath(const wchar_t* path, wchar_t (&out)[kPathSize])
{
    if (!copyText(out, kPathSize, path))
        return false;
    // Two backslashes after the drive (once saved from a multiple selection
    // in a drive's root) are taken by the shell, which then shows nothing.
    if (out[0] != L'\0' && out[1] == L':' && out[2] == L'\\' && out[3] == L'\\')
        std::wmemmove(out + 3, out + 4, std::wcslen(out + 4) + 1);
    return true;
}

bool applyWallpaper(const wchar_t* path, int32_t showMode)
{
    if (!path)
        return false;
    ScopedCom<IActiveDesktop> desktop;
    if (FAILED(CoCreateInstance(CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveDesktop,
                                desktop.receiveVoid())) ||
        !desktop)
        return false;

    COMPONENTSOPT components = {};
    components.dwSize = sizeof components;
    components.fEnableComponents = TRUE;
    components.fActiveDesktop = TRUE;
    desktop->SetDesktopItemOptions(&components, 0);

    WALLPAPEROPT options = {};
    options.dwSize = sizeof options;
    options.dwStyle = wallpaperStyle(showMode);
    desktop->SetWallpaperOptions(&options, 0);

    {
        ScopedBstr widePath(pathToBstr(path));
        if (!widePath || FAILED(desktop->SetWallpaper(widePath.get(), 0)))
            return false;
    }
    // The shell may answer S_FALSE to a change it made.
    return SUCCEEDED(desktop->ApplyChanges(AD_APPLY_ALL));
}
