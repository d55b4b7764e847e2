# The settings dialog and its preview under Wine: in-process with the real
# resources, and end to end on the real program.
tavrel_add_windows_test(preview_render_test
    SOURCES unit/preview_render_test.cpp
    RESOURCES)
tavrel_add_e2e_test(settings_dialog_test e2e/settings_dialog_test.cpp)
