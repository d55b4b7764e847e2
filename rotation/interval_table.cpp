#include "rotation/interval_table.h"

// Labels in code page 936 (GBK), written as escapes so that the source stays ASCII.
// No label has a hex digit after a multibyte character, so plain escapes suffice.
const IntervalRow kIntervalTable[kIntervalCount] = {
    {"5\xC3\xEB", 5},  // 5秒
    {"15\xC3\xEB", 15},  // 15秒
    {"30\xC3\xEB", 30},  // 30秒
    {"45\xC3\xEB", 45},  // 45秒
    {"1\xB7\xD6\xD6\xD3", 60},  // 1分钟
    {"2\xB7\xD6\xD6\xD3", 120},  // 2分钟
    {"3\xB7\xD6\xD6\xD3", 180},  // 3分钟
    {"5\xB7\xD6\xD6\xD3", 300},  // 5分钟
    {"10\xB7\xD6\xD6\xD3", 600},  // 10分钟
    {"15\xB7\xD6\xD6\xD3", 900},  // 15分钟
    {"20\xB7\xD6\xD6\xD3", 1200},  // 20分钟
    {"25\xB7\xD6\xD6\xD3", 1500},  // 25分钟
    {"30\xB7\xD6\xD6\xD3", 1800},  // 30分钟
    {"45\xB7\xD6\xD6\xD3", 2700},  // 45分钟
    {"1\xD0\xA1\xCA\xB1", 3600},  // 1小时
    {"2\xD0\xA1\xCA\xB1", 7200},  // 2小时
    {"3\xD0\xA1\xCA\xB1", 10800},  // 3小时
    {"5\xD0\xA1\xCA\xB1", 18000},  // 5小时
    {"8\xD0\xA1\xCA\xB1", 28800},  // 8小时
    {"12\xD0\xA1\xCA\xB1", 43200},  // 12小时
};
