#include "rotation/interval_table.h"

// The Chinese labels as escapes, so that the source stays ASCII.
const IntervalRow kIntervalTable[kIntervalCount] = {
    {L"5\u79d2", 5, L"5 seconds"},  // 5秒
    {L"15\u79d2", 15, L"15 seconds"},  // 15秒
    {L"30\u79d2", 30, L"30 seconds"},  // 30秒
    {L"45\u79d2", 45, L"45 seconds"},  // 45秒
    {L"1\u5206\u949f", 60, L"1 minute"},  // 1分钟
    {L"2\u5206\u949f", 120, L"2 minutes"},  // 2分钟
    {L"3\u5206\u949f", 180, L"3 minutes"},  // 3分钟
    {L"5\u5206\u949f", 300, L"5 minutes"},  // 5分钟
    {L"10\u5206\u949f", 600, L"10 minutes"},  // 10分钟
    {L"15\u5206\u949f", 900, L"15 minutes"},  // 15分钟
    {L"20\u5206\u949f", 1200, L"20 minutes"},  // 20分钟
    {L"25\u5206\u949f", 1500, L"25 minutes"},  // 25分钟
    {L"30\u5206\u949f", 1800, L"30 minutes"},  // 30分钟
    {L"45\u5206\u949f", 2700, L"45 minutes"},  // 45分钟
    {L"1\u5c0f\u65f6", 3600, L"1 hour"},  // 1小时
    {L"2\u5c0f\u65f6", 7200, L"2 hours"},  // 2小时
    {L"3\u5c0f\u65f6", 10800, L"3 hours"},  // 3小时
    {L"5\u5c0f\u65f6", 18000, L"5 hours"},  // 5小时
    {L"8\u5c0f\u65f6", 28800, L"8 hours"},  // 8小时
    {L"12\u5c0f\u65f6", 43200, L"12 hours"},  // 12小时
};
