# The rotation: applier, timer and step, default folder scan, and the real
# program rotating the wallpaper on the desktop.

tavrel_add_windows_test(applier_test
    SOURCES unit/applier_test.cpp unit/recording_desktop.cpp)
tavrel_add_windows_test(rotation_timer_test
    SOURCES unit/rotation_timer_test.cpp unit/recording_desktop.cpp)
