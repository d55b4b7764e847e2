#pragma once
// The rotation timer on the main window and the step each tick performs.

#include <windows.h>

// The period of alteTime's row in milliseconds; an alteTime outside the
// table is repaired to the 30-minute row first.
UINT rotationPeriodMs();

// Starts or restarts timer 1000 with rotationPeriodMs(); a restart begins a
// full period anew.
void startRotationTimer(HWND window);

// One rotation step: the next or a random picture becomes the wallpaper.
// Ticks of other timers are ignored.
void onRotationTick(UINT_PTR timerId);
