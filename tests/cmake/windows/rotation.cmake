# The rotation: applier, timer and step, default folder scan, and the real
# program rotating the wallpaper on the desktop (with the Active Desktop stand-in).
tavrel_add_windows_test(applier_test SOURCES unit/applier_test.cpp unit/recording_desktop.cpp)
tavrel_add_windows_test(rotation_timer_test SOURCES unit/rotation_timer_test.cpp unit/recording_desktop.cpp)
# The driver reaches the Unix side for the link loop.
tavrel_add_windows_test(folder_scan_test SOURCES unit/folder_scan_test.cpp LIBS tavrel_driver)
tavrel_add_e2e_test(rotation_test e2e/rotation_test.cpp)
