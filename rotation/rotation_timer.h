#pragma once
// The rotation timer on the main window and the step each tick performs.

#include <windows.h>

// The main window's rotation timer.
constexpr UINT_PTR IDT_ROTATION = 1000;

// Starts or restarts the rotation timer with the period of alteTime's row
// (an alteTime outside the table is repaired to the 30-minute row first); a
// restart begins a full period anew.
void startRotationTimer(HWND window);

// One rotation step: the next or a random picture becomes the wallpaper.
// Ticks of other timers are ignored.
void onRotationTick(UINT_PTR timerId);
