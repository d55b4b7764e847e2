#pragma once
// The rotation timer on the main window and the step each tick performs.

#include <windows.h>

#include "rotation/disk_pictures.h"
#include "rotation/monitor_wallpapers.h"
#include "rotation/wallpaper_history.h"

// What the rotation keeps from step to step, owned by the main window: what
// it gives each monitor, the steps it showed, the disk as it reads it.
struct RotationState {
    MonitorWallpapers monitors;
    WallpaperHistory history;
    DiskPictures disk;
};

// The main window's rotation timer.
constexpr UINT_PTR IDT_ROTATION = 1000;

// Starts or restarts the rotation timer with the period of alteTime's row
// (an alteTime outside the table is repaired to the 30-minute row first); a
// restart begins a full period anew. While paused it stops the timer.
void startRotationTimer(HWND window);

// Pauses the changes, or resumes them with a full period.
void toggleRotationPause(HWND window);

// One rotation step: the next or a random picture becomes the wallpaper, or
// with a picture on each monitor, the next ones or random ones become the
// monitors'. Ticks of other timers are ignored. True when the shell took a
// picture; the history then records the step.
bool onRotationTick(UINT_PTR timerId, RotationState& rotation);

// The step before the one shown now comes back, in the style and on the
// monitors of now; one the shell no longer takes (a picture deleted since)
// is passed over. The list's place stays where the rotation was. True when
// the shell took a picture.
bool showPreviousStep(RotationState& rotation);

// The displays changed: a monitor attached since the last step gets a
// picture of its own. True when one did.
bool onDisplayChange(RotationState& rotation);

// For the rotation timer's tick: true while its change must wait, the
// option being on and the shell reporting a full-screen program, a
// full-screen Direct3D program or presentation mode; the timer then looks
// again every two seconds. False when the change is due.
bool rotationWaitsForFullScreen(HWND window);
