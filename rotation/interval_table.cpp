#include "rotation/interval_table.h"

// Labels in code page 936 (GBK), written as escapes so that the source stays ASCII.
// No label has a hex digit after a multibyte character, so plain escapes suffice.
const IntervalRow kIntervalTable[kIntervalCount] = {
    {"5\xC3\xEB", 5, "5 seconds"},  // 5秒
    {"15\xC3\xEB", 15, "15 seconds"},  // 15秒
    {"30\xC3\xEB", 30, "30 seconds"},  // 30秒
    {"45\xC3\xEB", 45, "45 seconds"},  // 45秒
    {"1\xB7\xD6\xD6\xD3", 60, "1 minute"},  // 1分钟
    {"2\xB7\xD6\xD6\xD3", 120, "2 minutes"},  // 2分钟
    {"3\xB7\xD6\xD6\xD3", 180, "3 minutes"},  // 3分钟
    {"5\xB7\xD6\xD6\xD3", 300, "5 minutes"},  // 5分钟
    {"10\xB7\xD6\xD6\xD3", 600, "10 minutes"},  // 10分钟
    {"15\xB7\xD6\xD6\xD3", 900, "15 minutes"},  // 15分钟
    {"20\xB7\xD6\xD6\xD3", 1200, "20 minutes"},  // 20分钟
    {"25\xB7\xD6\xD6\xD3", 1500, "25 minutes"},  // 25分钟
    {"30\xB7\xD6\xD6\xD3", 1800, "30 minutes"},  // 30分钟
    {"45\xB7\xD6\xD6\xD3", 2700, "45 minutes"},  // 45分钟
    {"1\xD0\xA1\xCA\xB1", 3600, "1 hour"},  // 1小时
    {"2\xD0\xA1\xCA\xB1", 7200, "2 hours"},  // 2小时
    {"3\xD0\xA1\xCA\xB1", 10800, "3 hours"},  // 3小时
    {"5\xD0\xA1\xCA\xB1", 18000, "5 hours"},  // 5小时
    {"8\xD0\xA1\xCA\xB1", 28800, "8 hours"},  // 8小时
    {"12\xD0\xA1\xCA\xB1", 43200, "12 hours"},  // 12小时
};
