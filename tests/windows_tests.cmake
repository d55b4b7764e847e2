# The tests under Wine. The prefix is prepared once, by a fixture all need.
add_test(NAME wine_prefix
         COMMAND ${CMAKE_COMMAND} -E env TAVREL_WINEARCH=${TAVREL_WINEARCH}
                 ${CMAKE_SOURCE_DIR}/scripts/prepare-prefix.sh ${TAVREL_WINEPREFIX}
                 $<TARGET_FILE:activedesktop_standin>)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine LABELS setup)
# After them, nothing of Wine or its display is left running.
add_test(NAME wine_stop COMMAND ${CMAKE_SOURCE_DIR}/scripts/stop-prefix.sh ${TAVREL_WINEPREFIX})
set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine LABELS setup)

# In process, the program's code and resources linked in; they share the desktop and the Run value.
foreach(name settings_file_test windows_ui_test)
    tavrel_add_test(${name} SOURCES unit/${name}.cpp $<TARGET_OBJECTS:tavrel_resources>
                    LIBS tavrel_win tavrel_driver LABELS unit)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop)
endforeach()
target_sources(windows_ui_test PRIVATE ${CMAKE_SOURCE_DIR}/app/main.cpp)  # its WinMain, called

# End to end: the real Tavrel.exe in fresh folders of the prefix. They share
# one desktop and one single-instance window title, so they run one at a time.
# Screenshots go beside the shipped build whichever tree took them.
foreach(name startup_test settings_dialog_test tray_test english_test monitors_test hotkeys_test library_test)
    tavrel_add_test(${name} SOURCES e2e/${name}.cpp LIBS tavrel_driver LABELS e2e)
    add_dependencies(${name} Tavrel activedesktop_standin)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop
        ENVIRONMENT "TAVREL_BIN_DIR=$<TARGET_FILE_DIR:Tavrel>;TAVREL_ARTIFACTS=${CMAKE_SOURCE_DIR}/build/windows/artifacts")
endforeach()
target_compile_definitions(tray_test PRIVATE TAVREL_TEST_VERSION="${PROJECT_VERSION}")
# Under a code page other than 936; the names outside the code page under 936 too.
set_property(TEST windows_ui_test english_test APPEND PROPERTY ENVIRONMENT TAVREL_LOCALE=C.UTF-8)
add_test(NAME english_test_cp936 COMMAND english_test)
set_tests_properties(english_test_cp936 PROPERTIES RESOURCE_LOCK desktop LABELS e2e
    ENVIRONMENT "TAVREL_BIN_DIR=$<TARGET_FILE_DIR:Tavrel>;TAVREL_ARTIFACTS=${CMAKE_SOURCE_DIR}/build/windows/artifacts")

# The release zip, packed by CPack from what the build made (a fixture; no
# build runs while the tests do), and its contents.
add_test(NAME release_package COMMAND ${CMAKE_CPACK_COMMAND} --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
         WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(release_package PROPERTIES FIXTURES_SETUP release LABELS setup)
add_test(NAME release_zip_test COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/release_zip_test.sh ${TAVREL_RELEASE_ZIP})
set_tests_properties(release_zip_test PROPERTIES FIXTURES_REQUIRED release)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)  # the shipped executable
    add_test(NAME imports_test COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/imports_test.sh $<TARGET_FILE:Tavrel>)
endif()

get_property(all_tests DIRECTORY PROPERTY TESTS)
list(REMOVE_ITEM all_tests wine_prefix wine_stop release_package release_zip_test)
foreach(test IN LISTS all_tests)
    set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED wine)
endforeach()
