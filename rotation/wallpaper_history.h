#pragma once
// What the last rotation steps put on the desktop, so that Previous can go
// back through them. Free of Win32 so that it builds natively too.

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

// One monitor's picture, the monitor as the shell names it.
struct ShownPicture {
    std::wstring monitor;
    std::wstring picture;
};

// What one step showed: the primary monitor's picture and, where each
// monitor got one of its own, every monitor's.
struct ShownStep {
    std::wstring picture;
    std::vector<ShownPicture> monitors;
};

class WallpaperHistory {
public:
    // How many steps before the one shown now are kept.
    static constexpr size_t kEarlierSteps = 20;

    // The step shown now; the one before joins the earlier ones, the oldest
    // of which goes when there are more than kEarlierSteps.
    void record(ShownStep step);
    bool hasEarlier() const { return !earlier_.empty(); }
    // Leaves the step shown now behind for good: the one before becomes the
    // step shown now and is returned. Null when there is none.
    const ShownStep* stepBack();

private:
    std::deque<ShownStep> earlier_;
    ShownStep shown_;
    bool anyShown_ = false;
};
