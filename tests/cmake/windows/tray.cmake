# The tray program as a person uses it: the Run-key value in process, the
# tray icon, its menu and commands, and the About box on the real exe.
tavrel_add_windows_test(autorun_test SOURCES unit/autorun_test.cpp)
