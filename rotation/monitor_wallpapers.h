#pragma once
// A picture of its own on each monitor, through the shell's IDesktopWallpaper
// object (Windows 8 and later). Remembers which monitor got which picture, so
// that a monitor attached later gets one too and the tooltip can name the
// primary monitor's.

#include <windows.h>

#include <string>
#include <vector>

#include "base/show_settings.h"
#include "rotation/wallpaper_history.h"

class PictureSource;
class WallpaperList;

// A monitor as the shell names it, where it is, and the picture it got.
struct MonitorPicture {
    std::wstring monitor;  // "" for every monitor at once
    std::wstring picture;  // "" while it has none from this program
    RECT area;
};

class MonitorWallpapers {
public:
    enum class Step { kNoShellObject, kNothingTaken, kTaken };

    // False before Windows 8, whose shell has no such object.
    static bool shellHasObject();

    // Every attached monitor, left to right, gets a picture from the list: in
    // order the next ones, at random distinct ones; spanned, one over all.
    // A picture the shell did not take keeps its place in the list.
    Step showOnEach(WallpaperList& list, PictureSource& disk, const ShowSettings& settings);
    // Monitors attached since the last step get a picture each; true when
    // one did.
    bool showOnNewMonitors(WallpaperList& list, PictureSource& disk, const ShowSettings& settings);
    // Each attached monitor gets its picture of an earlier step again (a
    // monitor that had none then, the primary's); spanned, the primary's
    // over all. A step that gave one picture for all gives it to each.
    Step showAgain(const ShownStep& step, const ShowSettings& settings);
    // The primary monitor's picture ("" before any).
    const std::wstring& primaryPicture() const { return primaryPicture_; }
    // What the last step showed, for the history.
    ShownStep lastStep() const;

private:
    void keep(const std::vector<MonitorPicture>& monitors);

    std::vector<MonitorPicture> shown_;  // the monitors attached at the last step
    std::wstring primaryPicture_;
};
