# The tray program as a person uses it: the Run-key value in process, the
# tray icon, its menu and commands, and the About box on the real exe.
tavrel_add_windows_test(autorun_test SOURCES unit/autorun_test.cpp)
tavrel_add_e2e_test(tray_test e2e/tray_test.cpp)
target_link_libraries(tray_test PRIVATE shell32)
tavrel_add_e2e_test(about_test e2e/about_test.cpp)
target_compile_definitions(about_test PRIVATE TAVREL_TEST_VERSION="${PROJECT_VERSION}")
# The icon offered again while the taskbar refuses it (in process: the
# refusal is simulated).
tavrel_add_windows_test(tray_icon_test SOURCES unit/tray_icon_test.cpp LIBS tavrel_driver RESOURCES)
