# Tests that need Windows (Wine). The prefix is prepared once by a fixture.
add_test(NAME wine_prefix
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/prepare-test-prefix.sh ${TAVREL_WINEPREFIX} $<TARGET_FILE:activedesktop_standin>)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine LABELS setup)
set_tests_properties(core_test PROPERTIES FIXTURES_REQUIRED wine)

# End-to-end: the real Tavrel.exe in fresh folders of the prefix. They share
# one desktop and one single-instance window title, so they run one at a time.
function(tavrel_add_e2e_test name)
    tavrel_add_test(${name} SOURCES ${ARGN} LIBS tavrel_driver LABELS e2e)
    add_dependencies(${name} Tavrel activedesktop_standin)
    set_tests_properties(${name} PROPERTIES
        FIXTURES_REQUIRED wine
        RESOURCE_LOCK desktop
        ENVIRONMENT "TAVREL_BIN_DIR=$<TARGET_FILE_DIR:Tavrel>;TAVREL_ARTIFACTS=${CMAKE_BINARY_DIR}/artifacts")
endfunction()

tavrel_add_e2e_test(smoke_test e2e/smoke_test.cpp)
