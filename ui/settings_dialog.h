#pragma once
// The settings dialog: the list of pictures, style, order, interval, preview,
// logon start, the wait for full-screen programs and the hotkeys, edited on a
// working copy.

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstdint>

#include "base/show_settings.h"

struct SettingsDialogState {
    HWND dialogWindow = nullptr;
    ShowSettings settings;  // working copy, copied in and out as one block
    int32_t listChanged = 0;
    IPicture* picture = nullptr;  // owned reference, at the size the preview needs
    // Meaningful only while `picture` is set: the file's pixels, the picture object's HIMETRIC size.
    int32_t pictureWidth;
    int32_t pictureHeight;
    int32_t himetricWidth;
    int32_t himetricHeight;
    HBITMAP monitorBitmap = nullptr;  // owned
    uint32_t takenHotkeys = 0;  // the hotkeys another program holds (Hotkeys::taken)

    INT_PTR handleSettingsMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    BOOL initSettingsDialog();
    BOOL onSettingsOk();
    BOOL onSettingsCancel();
    void addImages();
    void addFolder();
    void rowsAdded();
    void removeImage();
    void releaseDialogResources();
    INT_PTR onCommand(WORD control, WORD code);
    HWND control(int id) const { return GetDlgItem(dialogWindow, id); }
    LRESULT sendControl(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return SendDlgItemMessageW(dialogWindow, id, message, wParam, lParam);
    }
    void addListRow(const wchar_t* path) const;
};

#if defined(__i386__)
static_assert(sizeof(SettingsDialogState) == 17 * 4, "seventeen 32-bit fields");
#endif

// Answers nothing while no settings dialog is active; otherwise hands every
// message, WM_INITDIALOG included, to the active state.
INT_PTR CALLBACK settingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
