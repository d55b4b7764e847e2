# Helpers for the tests that need Windows (Wine).

# A unit test program that links the program's code (and, with RESOURCES,
# its resources: dialogs, bitmaps, menu).
function(tavrel_add_windows_test name)
    cmake_parse_arguments(ARG "RESOURCES" "" "SOURCES;LIBS" ${ARGN})
    set(sources ${ARG_SOURCES})
    if(ARG_RESOURCES)
        list(APPEND sources $<TARGET_OBJECTS:tavrel_resources>)
    endif()
    tavrel_add_test(${name} SOURCES ${sources} LIBS tavrel_win ${ARG_LIBS} LABELS unit)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop)
endfunction()

# End-to-end: the real Tavrel.exe in fresh folders of the prefix. They share
# one desktop and one single-instance window title, so they run one at a time.
function(tavrel_add_e2e_test name)
    tavrel_add_test(${name} SOURCES ${ARGN} LIBS tavrel_driver LABELS e2e)
    add_dependencies(${name} Tavrel activedesktop_standin)
    set_tests_properties(${name} PROPERTIES
        RESOURCE_LOCK desktop
        ENVIRONMENT "TAVREL_BIN_DIR=$<TARGET_FILE_DIR:Tavrel>;TAVREL_ARTIFACTS=${CMAKE_BINARY_DIR}/artifacts")
endfunction()

tavrel_add_e2e_test(smoke_test e2e/smoke_test.cpp)

# The generated images have the exact formats the resources promise.
add_test(NAME images_test
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/images_test.py ${TAVREL_GENERATED})
set_tests_properties(images_test PROPERTIES LABELS unit)
