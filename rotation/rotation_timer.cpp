#include "rotation/rotation_timer.h"

#include "app/app_globals.h"
#include "app/resource.h"
#include "rotation/interval_table.h"
#include "rotation/wallpaper_applier.h"

void startRotationTimer(HWND window)
{
    if (!isValidIntervalRow(showSettings.alteTime))
        showSettings.alteTime = kDefaultIntervalRow;
    const UINT period = static_cast<UINT>(kIntervalTable[showSettings.alteTime].seconds) * 1000u;
    SetTimer(window, IDT_ROTATION, period, nullptr);
}

void onRotationTick(UINT_PTR timerId)
{
    if (timerId != IDT_ROTATION)
        return;
    const char* path = nullptr;
    switch (showSettings.showOrder) {
    case 0:
        path = wallpaperList.current();
        wallpaperList.advance();
        break;
    case 1:
        path = wallpaperList.pickRandom();
        break;
    default:
        return;
    }
    // The cursor has moved already: a picture that cannot be set still
    // counts as shown.
    if (path)
        applyWallpaper(path, showSettings.showMode);
}
