#pragma once
// The twenty rotation periods the settings offer; the row index is what
// alteTime stores, with its Chinese and English labels.

#include <cstdint>

struct IntervalRow {
    const wchar_t* label;
    int32_t seconds;
    const wchar_t* englishLabel;
};

constexpr int kIntervalCount = 20;
constexpr int kDefaultIntervalRow = 12;  // 30 minutes

extern const IntervalRow kIntervalTable[kIntervalCount];

inline bool isValidIntervalRow(int32_t row) { return row >= 0 && row < kIntervalCount; }
