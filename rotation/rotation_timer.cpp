#include "rotation/rotation_timer.h"

#include <shellapi.h>

#include "base/globals.h"
#include "base/path_text.h"
#include "rotation/interval_table.h"
#include "rotation/monitor_wallpapers.h"
#include "rotation/wallpaper_applier.h"
#include "rotation/wallpaper_history.h"
#include "rotation/wallpaper_list.h"

namespace {

// Short enough that a change held back comes soon after a game ends.
constexpr UINT kFullScreenRecheckMs = 2000;

bool fullScreenProgramRuns()
{
    QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
    // A failed call leaves the state undefined: nothing is known to be running.
    if (FAILED(SHQueryUserNotificationState(&state)))
        return false;
    switch (state) {
    case QUNS_BUSY:
    case QUNS_RUNNING_D3D_FULL_SCREEN:
    case QUNS_PRESENTATION_MODE:
        return true;
    default:
        return false;
    }
}

UINT rotationPeriodMs()
{
    if (!isValidIntervalRow(showSettings.alteTime))
        showSettings.alteTime = kDefaultIntervalRow;
    return static_cast<UINT>(kIntervalTable[showSettings.alteTime].seconds) * 1000u;
}

// One step's picture or pictures shown again; true when the shell took one.
bool showStepAgain(const ShownStep& step, MonitorWallpapers& monitors)
{
    if (showSettings.eachMonitor) {
        switch (monitors.showAgain(step, showSettings)) {
        case MonitorWallpapers::Step::kTaken:
            return copyText(shownWallpaper, kPathSize, monitors.primaryPicture().c_str());
        case MonitorWallpapers::Step::kNothingTaken:
            return false;
        case MonitorWallpapers::Step::kNoShellObject:
            break;
        }
    }
    return applyWallpaper(step.picture.c_str(), showSettings.showMode) &&
           copyText(shownWallpaper, kPathSize, step.picture.c_str());
}

}  // namespace

void startRotationTimer(HWND window)
{
    if (rotationPaused)
        KillTimer(window, IDT_ROTATION);
    else
        SetTimer(window, IDT_ROTATION, rotationPeriodMs(), nullptr);
}

void toggleRotationPause(HWND window)
{
    rotationPaused = !rotationPaused;
    startRotationTimer(window);
}

bool onRotationTick(UINT_PTR timerId, RotationState& rotation)
{
    if (timerId != IDT_ROTATION)
        return false;
    if (showSettings.eachMonitor) {
        switch (rotation.monitors.showOnEach(wallpaperList, rotation.disk, showSettings)) {
        case MonitorWallpapers::Step::kTaken:
            rotation.history.record(rotation.monitors.lastStep());
            return copyText(shownWallpaper, kPathSize, rotation.monitors.primaryPicture().c_str());
        case MonitorWallpapers::Step::kNothingTaken:
            return false;
        case MonitorWallpapers::Step::kNoShellObject:
            break;  // before Windows 8: one picture for all
        }
    }
    const wchar_t* found =
        wallpaperList.nextPicture(showSettings.showOrder, rotation.disk, [](const wchar_t*) { return false; });
    // Kept, since the cursor passes it: a picture that cannot be set still
    // counts as shown.
    wchar_t path[kPathSize];
    if (!found || !copyText(path, kPathSize, found))
        return false;
    wallpaperList.passPicture(showSettings.showOrder);
    if (!applyWallpaper(path, showSettings.showMode))
        return false;
    rotation.history.record({path, {}});
    return copyText(shownWallpaper, kPathSize, path);
}

bool showPreviousStep(RotationState& rotation)
{
    while (const ShownStep* step = rotation.history.stepBack()) {
        if (showStepAgain(*step, rotation.monitors))
            return true;
    }
    return false;
}

bool rotationWaitsForFullScreen(HWND window)
{
    if (!showSettings.fullScreenWait || !fullScreenProgramRuns())
        return false;
    // Nothing tells when a full-screen program ends: the state is asked again.
    SetTimer(window, IDT_ROTATION, kFullScreenRecheckMs, nullptr);
    return true;
}

bool onDisplayChange(RotationState& rotation)
{
    // While paused, a new monitor gets no picture either.
    if (rotationPaused || !showSettings.eachMonitor ||
        !rotation.monitors.showOnNewMonitors(wallpaperList, rotation.disk, showSettings))
        return false;
    return copyText(shownWallpaper, kPathSize, rotation.monitors.primaryPicture().c_str());
}
