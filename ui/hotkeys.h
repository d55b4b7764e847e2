#pragma once
// The global hotkeys: Ctrl+Alt+Right (next picture), Ctrl+Alt+Left
// (previous) and Ctrl+Alt+P (pause), registered on the main window. Each
// arrives there as WM_HOTKEY with its tray command's id.

#include <windows.h>

#include <string>

class Hotkeys {
public:
    // Registers each combination this program does not hold yet; one that
    // another program holds is noted as taken.
    void registerAll(HWND window);
    void unregisterAll(HWND window);
    // The combinations another program held at the last registration, one
    // bit each (next, previous, pause).
    unsigned taken() const { return taken_; }

private:
    unsigned held_ = 0;
    unsigned taken_ = 0;
};

// The settings dialog's words for the `taken` combinations; "" for none.
std::wstring takenHotkeysNote(unsigned taken);
