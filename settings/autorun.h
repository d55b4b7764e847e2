#pragma once
// The logon start through the current user's Run key.

#include <cstdint>

// Non-zero writes the value "Tavrel" naming this executable; zero deletes it.
// Either way Task Manager's mark of a start turned off goes with it. Answers
// 1 when Windows will start the program at the next logon, 0 when not: a
// refused write or delete is not taken for done.
int32_t setAutoRun(int32_t enabled);

// True when the user turned the logon start off in Task Manager (or in
// Settings > Apps > Startup), which keeps the Run value but has Windows skip it.
bool autoRunTurnedOff();
