#pragma once
// The eight options the user sets, in the order in which they are copied as
// one block into and out of the settings dialog.

#include <cstdint>

struct ShowSettings {
    int32_t showMode;        // 0 tile, 1 centre, 2 stretch, 3 fit, 4 fill, 5 span
    int32_t showOrder;       // 0 in sequence, 1 at random, 2 shuffled
    int32_t alteTime;        // row of the interval table
    int32_t preview;         // 1: the settings dialog draws the picture
    int32_t autoRun;         // 1: start at logon
    int32_t fullScreenWait;  // 1: a due change waits while a full-screen program runs
    int32_t eachMonitor = 0;  // 1: a picture of its own on each monitor
    int32_t hotkeys = 1;      // 1: the global hotkeys are registered
};

static_assert(sizeof(ShowSettings) == 8 * sizeof(int32_t), "ShowSettings is copied as one block");
