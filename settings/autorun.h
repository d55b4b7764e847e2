#pragma once
// The logon start through the current user's Run key.

#include <cstdint>

// Non-zero writes the value "Tavrel" naming this executable; zero deletes it.
// Answers 1 when the value is there afterwards, 0 when not: a refused write
// or delete is not taken for done.
int32_t setAutoRun(int32_t enabled);
