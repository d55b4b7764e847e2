#pragma once
// The logon start through the current user's Run key.

#include <cstdint>

// Non-zero writes the value "Tavrel" naming this executable; zero deletes it.
void setAutoRun(int32_t enabled);
