#pragma once
// The twenty rotation periods the settings offer; the row index is what
// alteTime stores. Labels are code page 936 bytes, and ASCII in English.

#include <cstdint>

struct IntervalRow {
    const char* label;
    int32_t seconds;
    const char* englishLabel;
};

constexpr int kIntervalCount = 20;
constexpr int kDefaultIntervalRow = 12;  // 30 minutes

extern const IntervalRow kIntervalTable[kIntervalCount];

inline bool isValidIntervalRow(int32_t row) { return row >= 0 && row < kIntervalCount; }
