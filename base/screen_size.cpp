#include "base/screen_size.h"

SIZE primaryScreenPixels()
{
    MONITORINFOEXA monitor = {};
    monitor.cbSize = sizeof monitor;
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    if (GetMonitorInfoA(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor) &&
        EnumDisplaySettingsA(monitor.szDevice, ENUM_CURRENT_SETTINGS, &mode) && mode.dmPelsWidth > 0 &&
        mode.dmPelsHeight > 0)
        return {static_cast<LONG>(mode.dmPelsWidth), static_cast<LONG>(mode.dmPelsHeight)};
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}
