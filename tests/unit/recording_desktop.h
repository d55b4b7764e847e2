#pragma once
// An Active Desktop of the test's own, registered in-process for
// CLSID_ActiveDesktop, that records every call the program makes to it.

#include <windows.h>

#include <string>
#include <vector>

namespace recording {

enum class Creation {
    Succeeds,        // a recording object
    Fails,           // CLASS_E_CLASSNOTAVAILABLE
    SucceedsEmpty,   // S_OK without an interface
};

// Registered on this (COM-initialised) thread while it lives; clears the log.
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

// One line per call: "Create", "SetDesktopItemOptions 12 1 1 0",
// "SetWallpaperOptions 8 <style> 0", "SetWallpaper 0 <path as UTF-8>",
// "ApplyChanges 7", "Release <refs left>", or the name of any other method.
const std::vector<std::string>& calls();
void clearCalls();

}  // namespace recording
