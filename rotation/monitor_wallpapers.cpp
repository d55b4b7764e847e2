#include "rotation/monitor_wallpapers.h"

#include <shobjidl.h>

#include <algorithm>

#include "base/scoped_win.h"
#include "base/windows_version.h"
#include "rotation/wallpaper_applier.h"
#include "rotation/wallpaper_list.h"

namespace {

constexpr int32_t kSpan = 5;

// Registered by Explorer, which may serve it from its own process.
bool createShellObject(ScopedCom<IDesktopWallpaper>& shell)
{
    return SUCCEEDED(CoCreateInstance(CLSID_DesktopWallpaper, nullptr, CLSCTX_ALL, IID_IDesktopWallpaper,
                                      shell.receiveVoid())) &&
           shell;
}

// The shell numbers centre 0 and tile 1, the other way round from ours; the
// others have our numbers.
DESKTOP_WALLPAPER_POSITION wallpaperPosition(int32_t showMode)
{
    switch (showMode) {
    case 0:
        return DWPOS_TILE;
    case 1:
        return DWPOS_CENTER;
    case 3:
        return DWPOS_FIT;
    case 4:
        return DWPOS_FILL;
    case kSpan:
        return DWPOS_SPAN;
    default:
        return DWPOS_STRETCH;
    }
}

// A monitor the shell knows but that is not attached answers S_FALSE, which
// is a success.
bool monitorArea(IDesktopWallpaper& shell, const std::wstring& monitor, RECT& area)
{
    return shell.GetMonitorRECT(monitor.c_str(), &area) == S_OK;
}

// The monitors attached now, left to right (their ids change when one is
// plugged in again, so they are asked every time).
std::vector<MonitorPicture> attachedMonitors(IDesktopWallpaper& shell)
{
    std::vector<MonitorPicture> monitors;
    UINT count = 0;
    if (FAILED(shell.GetMonitorDevicePathCount(&count)))
        return monitors;
    for (UINT i = 0; i < count; ++i) {
        LPWSTR id = nullptr;
        if (FAILED(shell.GetMonitorDevicePathAt(i, &id)) || !id)
            continue;
        MonitorPicture monitor = {id, L"", {}};
        CoTaskMemFree(id);
        if (monitorArea(shell, monitor.monitor, monitor.area))
            monitors.push_back(monitor);
    }
    std::stable_sort(monitors.begin(), monitors.end(), [](const MonitorPicture& a, const MonitorPicture& b) {
        return a.area.left != b.area.left ? a.area.left < b.area.left : a.area.top < b.area.top;
    });
    return monitors;
}

// The picture on one monitor (all of them for the spanned one, which has no
// id), with one backslash after the drive, as the shell takes it.
bool setOnMonitor(IDesktopWallpaper& shell, const std::wstring& monitor, const std::wstring& picture)
{
    wchar_t path[kPathSize];
    return shellWallpaperPath(picture.c_str(), path) &&
           SUCCEEDED(shell.SetWallpaper(monitor.empty() ? nullptr : monitor.c_str(), path));
}

bool isShown(const std::vector<MonitorPicture>& monitors, const wchar_t* path)
{
    return std::any_of(monitors.begin(), monitors.end(),
                       [&](const MonitorPicture& monitor) { return monitor.picture == path; });
}

// In order the list's current picture; at random or shuffled one no other
// monitor shows, while the list has such a one.
const wchar_t* nextPicture(WallpaperList& list, PictureSource& disk, int32_t showOrder,
                           const std::vector<MonitorPicture>& monitors)
{
    return list.nextPicture(showOrder, disk, [&](const wchar_t* path) { return isShown(monitors, path); });
}

// Each monitor without a picture gets the next one. A monitor gone since the
// count leaves its picture to the next; a picture a monitor that is still
// there refuses counts as shown, as with the Active Desktop object. True
// when the shell took one.
bool giveEachAPicture(IDesktopWallpaper& shell, std::vector<MonitorPicture>& monitors, WallpaperList& list,
                      PictureSource& disk, int32_t showOrder)
{
    bool taken = false;
    std::wstring pending;
    for (MonitorPicture& monitor : monitors) {
        if (!monitor.picture.empty())
            continue;
        if (pending.empty()) {
            const wchar_t* next = nextPicture(list, disk, showOrder, monitors);
            if (!next)
                return taken;
            pending = next;
        }
        RECT area;
        if (setOnMonitor(shell, monitor.monitor, pending)) {
            monitor.picture = pending;
            taken = true;
        } else if (monitor.monitor.empty() || !monitorArea(shell, monitor.monitor, area)) {
            continue;
        }
        list.passPicture(showOrder);
        pending.clear();
    }
    return taken;
}

// The monitors a step gives a picture each, the style set first so that each
// picture comes in it; spanned, one for all.
std::vector<MonitorPicture> monitorsInStyle(IDesktopWallpaper& shell, int32_t showMode)
{
    shell.SetPosition(wallpaperPosition(showMode));
    if (showMode == kSpan)
        return {{L"", L"", {}}};
    return attachedMonitors(shell);
}

// The step's picture for a monitor: its own, or where it had none, the primary's.
const std::wstring& stepPicture(const ShownStep& step, const std::wstring& monitor)
{
    const auto own = std::find_if(step.monitors.begin(), step.monitors.end(),
                                  [&](const ShownPicture& shown) { return shown.monitor == monitor; });
    return own != step.monitors.end() && !own->picture.empty() ? own->picture : step.picture;
}

}  // namespace

bool MonitorWallpapers::shellHasObject()
{
    // Asked by the version, not by creating the object: that would load COM's
    // machinery (and Explorer's server) each time the settings dialog opens.
    return windowsAtLeast(6, 2);
}

MonitorWallpapers::Step MonitorWallpapers::showOnEach(WallpaperList& list, PictureSource& disk,
                                                      const ShowSettings& settings)
{
    ScopedCom<IDesktopWallpaper> shell;
    if (!createShellObject(shell))
        return Step::kNoShellObject;
    std::vector<MonitorPicture> monitors = monitorsInStyle(*shell.get(), settings.showMode);
    if (!giveEachAPicture(*shell.get(), monitors, list, disk, settings.showOrder))
        return Step::kNothingTaken;
    keep(monitors);
    return Step::kTaken;
}

bool MonitorWallpapers::showOnNewMonitors(WallpaperList& list, PictureSource& disk, const ShowSettings& settings)
{
    ScopedCom<IDesktopWallpaper> shell;
    if (shown_.empty() || settings.showMode == kSpan || !createShellObject(shell))
        return false;
    std::vector<MonitorPicture> monitors = attachedMonitors(*shell.get());
    for (MonitorPicture& monitor : monitors) {
        const auto known = std::find_if(shown_.begin(), shown_.end(),
                                        [&](const MonitorPicture& old) { return old.monitor == monitor.monitor; });
        if (known != shown_.end())
            monitor.picture = known->picture;
    }
    const bool taken = giveEachAPicture(*shell.get(), monitors, list, disk, settings.showOrder);
    // Also where none is new: a monitor may have gone, or become the primary.
    if (!monitors.empty())
        keep(monitors);
    return taken;
}

MonitorWallpapers::Step MonitorWallpapers::showAgain(const ShownStep& step, const ShowSettings& settings)
{
    ScopedCom<IDesktopWallpaper> shell;
    if (!createShellObject(shell))
        return Step::kNoShellObject;
    std::vector<MonitorPicture> monitors = monitorsInStyle(*shell.get(), settings.showMode);
    bool taken = false;
    for (MonitorPicture& monitor : monitors) {
        const std::wstring& picture = stepPicture(step, monitor.monitor);
        if (setOnMonitor(*shell.get(), monitor.monitor, picture)) {
            monitor.picture = picture;
            taken = true;
        }
    }
    if (!taken)
        return Step::kNothingTaken;
    keep(monitors);
    return Step::kTaken;
}

ShownStep MonitorWallpapers::lastStep() const
{
    ShownStep step = {primaryPicture_, {}};
    for (const MonitorPicture& monitor : shown_)
        step.monitors.push_back({monitor.monitor, monitor.picture});
    return step;
}

// The primary monitor has its top left corner at the origin of the screen's
// coordinates; a spanned picture is the primary's too.
void MonitorWallpapers::keep(const std::vector<MonitorPicture>& monitors)
{
    const auto primary = std::find_if(monitors.begin(), monitors.end(), [](const MonitorPicture& monitor) {
        return monitor.monitor.empty() || (monitor.area.left == 0 && monitor.area.top == 0);
    });
    const MonitorPicture& named = primary != monitors.end() ? *primary : monitors.front();
    if (!named.picture.empty())
        primaryPicture_ = named.picture;
    // A spanned picture leaves no monitor a picture of its own.
    shown_ = monitors.front().monitor.empty() ? std::vector<MonitorPicture>() : monitors;
}
