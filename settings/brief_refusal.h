#pragma once
// Scanners, indexers, sync and backup programs open or lock a file right
// after it changed, and Windows refuses reads, writes and replaces
// meanwhile. They let go soon; a logoff must not wait long.

#include <windows.h>

inline bool isBriefRefusal(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

// Runs `step` until it succeeds, tried again after a short wait while the
// refusal it reports is one `waitable` takes for brief; false otherwise.
template <typename Step, typename Waitable>
bool retriedWhileHeld(Step step, Waitable waitable)
{
    static constexpr DWORD kWaits[] = {10, 20, 40, 80, 150, 300};
    for (size_t attempt = 0;; ++attempt) {
        if (step())
            return true;
        if (!waitable(GetLastError()) || attempt == sizeof kWaits / sizeof kWaits[0])
            return false;
        Sleep(kWaits[attempt]);
    }
}

template <typename Step>
bool retriedWhileHeld(Step step)
{
    return retriedWhileHeld(step, isBriefRefusal);
}
