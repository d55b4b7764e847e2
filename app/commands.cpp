#include "app/commands.h"

#include "app/main_window.h"
#include "app/show_in_folder.h"
#include "app/tray.h"
#include "base/globals.h"
#include "base/ui_language.h"
#include "res/resource.h"
#include "rotation/rotation_timer.h"
#include "rotation/wallpaper_list.h"
#include "settings/autorun.h"
#include "ui/about_dialog.h"
#include "ui/settings_dialog.h"

namespace {

void switchHotkeys(HWND window, Hotkeys& hotkeys, bool on)
{
    if (on)
        hotkeys.registerAll(window);
    else
        hotkeys.unregisterAll(window);
}

void openSettings(HWND window)
{
    if (settingsDialogOpen) {
        // A dialog owned by a hidden window has no taskbar button: once
        // covered, this is the user's only way back to it (or to the
        // file-open dialog it has open).
        if (activeSettingsDialog && activeSettingsDialog->dialogWindow)
            SetForegroundWindow(GetLastActivePopup(activeSettingsDialog->dialogWindow));
        return;
    }
    KillTimer(window, IDT_ROTATION);
    settingsDialogOpen = 1;

    SettingsDialogState state;
    activeSettingsDialog = &state;
    state.settings = showSettings;
    // Turned off in Task Manager meanwhile: the box shows it.
    if (autoRunTurnedOff())
        state.settings.autoRun = 0;
    // A combination another program held may be free by now.
    Hotkeys& hotkeys = windowState(window).hotkeys;
    if (showSettings.hotkeys)
        hotkeys.registerAll(window);
    state.takenHotkeys = hotkeys.taken();

    const INT_PTR result =
        DialogBoxIndirectParamW(appInstance, localizedDialog(appInstance, IDD_SETTINGS), window, settingsDialogProc, 0);
    if (result == IDOK) {
        // Still in the style and order that were in force before the dialog;
        // not while paused.
        if (state.listChanged && !rotationPaused)
            rotateWallpaper(window, IDT_ROTATION);
        if (state.settings.hotkeys != showSettings.hotkeys)
            switchHotkeys(window, hotkeys, state.settings.hotkeys);
        showSettings = state.settings;
        // Kept as it really is, so that the next dialog shows the truth.
        showSettings.autoRun = setAutoRun(showSettings.autoRun);
    }

    activeSettingsDialog = nullptr;
    settingsDialogOpen = 0;
    startRotationTimer(window);
}

void openAbout(HWND window)
{
    if (aboutDialogOpen)
        return;
    aboutDialogOpen = 1;
    KillTimer(window, IDT_ROTATION);
    DialogBoxIndirectParamW(appInstance, localizedDialog(appInstance, IDD_ABOUT), window, aboutDialogProc, 0);
    startRotationTimer(window);
    aboutDialogOpen = 0;
}

void showNextNow(HWND window)
{
    rotateWallpaper(window, IDT_ROTATION);
    startRotationTimer(window);
}

void showPreviousNow(HWND window)
{
    showPreviousWallpaper(window);
    startRotationTimer(window);
}

// The picture on the desktop leaves the rotation for good (no file is
// deleted) and the next one comes at once.
void neverShowAgain(HWND window)
{
    if (shownWallpaper[0] && wallpaperList.neverAgain(shownWallpaper))
        showNextNow(window);
}

}  // namespace

bool rotationHeldByDialog() { return settingsDialogOpen || aboutDialogOpen; }

void onCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDM_SETTINGS:
        openSettings(window);
        break;
    case IDM_ABOUT:
        openAbout(window);
        break;
    case IDM_NEXT:
        if (!rotationHeldByDialog())
            showNextNow(window);
        break;
    case IDM_PREVIOUS:
        if (!rotationHeldByDialog())
            showPreviousNow(window);
        break;
    case IDM_NEVER_AGAIN:
        if (!rotationHeldByDialog())
            neverShowAgain(window);
        break;
    case IDM_PAUSE:
        if (!rotationHeldByDialog())
            toggleRotationPause(window);
        break;
    case IDM_SHOW_IN_FOLDER:
        if (shownWallpaper[0] != L'\0')
            showInFolder(shownWallpaper);
        break;
    case IDM_EXIT:
        PostMessageW(window, WM_CLOSE, 0, 0);
        break;
    default:
        DefWindowProcW(window, message, wParam, lParam);
        break;
    }
}
