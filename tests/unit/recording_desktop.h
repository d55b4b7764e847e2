#pragma once
// An Active Desktop of the test's own, registered in-process for
// CLSID_ActiveDesktop, that records every call the program makes to it.

#include <windows.h>

#include <string>
#include <vector>

namespace recording {

enum class Creation {
    Succeeds,        // a recording object
    Fails,           // CreateInstance returns CLASS_E_CLASSNOTAVAILABLE
    SucceedsEmpty,   // S_OK without an interface
};

// Registers the class object on this (COM-initialised) thread for as long as
// it lives; the log starts empty.
class RegisteredDesktop {
public:
    explicit RegisteredDesktop(Creation creation = Creation::Succeeds);
    ~RegisteredDesktop();
    RegisteredDesktop(const RegisteredDesktop&) = delete;
    RegisteredDesktop& operator=(const RegisteredDesktop&) = delete;

    bool registered() const { return cookie_ != 0; }

private:
    DWORD cookie_ = 0;
};

// One line per call, in order: "Create", "SetDesktopItemOptions 12 1 1 0",
// "SetWallpaperOptions 8 <style> 0", "SetWallpaper 0", "ApplyChanges 7",
// "Release <refs left>" and, for anything else, the method's name.
const std::vector<std::string>& calls();
void clearCalls();
// The Unicode paths given to SetWallpaper, in order.
const std::vector<std::wstring>& wallpapers();
// The styles given to SetWallpaperOptions, in order.
const std::vector<DWORD>& styles();

}  // namespace recording
