# The settings dialog's Win32-free parts: preview arithmetic and the
# file-open dialog's selection buffer.
tavrel_add_test(preview_geometry_test
    SOURCES unit/preview_geometry_test.cpp
    LIBS tavrel_core
    LABELS unit)
tavrel_add_test(file_selection_test
    SOURCES unit/file_selection_test.cpp
    LIBS tavrel_core
    LABELS unit)
