# The Windows program, its resources and the development tools that run
# beside it under Wine.

set(TAVREL_GENERATED ${CMAKE_BINARY_DIR}/generated)
set(TAVREL_IMAGES
    ${TAVREL_GENERATED}/tavrel.ico
    ${TAVREL_GENERATED}/monitor.bmp
    ${TAVREL_GENERATED}/about.bmp)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(
    OUTPUT ${TAVREL_IMAGES} ${TAVREL_GENERATED}/WallPaper/800_600/dawn.bmp  # one stands for the folder
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/make_images.py ${TAVREL_GENERATED}
    DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make_images.py
    COMMENT "Drawing the icon, bitmaps and default wallpapers")
add_custom_target(tavrel_images DEPENDS ${TAVREL_IMAGES} ${TAVREL_GENERATED}/WallPaper/800_600/dawn.bmp)

# Everything but the entry point, so that tests link the real code.
add_library(tavrel_win STATIC
    app/globals.cpp
    app/commands.cpp
    app/main_window.cpp
    app/tray.cpp
    app/show_in_folder.cpp
    rotation/rotation_timer.cpp
    rotation/monitor_wallpapers.cpp
    rotation/wallpaper_applier.cpp
    rotation/disk_pictures.cpp
    rotation/disk_call.cpp
    settings/autorun.cpp
    settings/folder_scan.cpp
    base/module_path.cpp
    base/screen_size.cpp
    base/ui_language.cpp
    base/windows_version.cpp
    settings/profile_file.cpp
    settings/profile_writer.cpp
    settings/ini_encoding.cpp
    settings/list_appender.cpp
    settings/settings_copy.cpp
    settings/settings_store.cpp
    ui/about_dialog.cpp
    ui/excluded_dialog.cpp
    ui/folder_picker.cpp
    ui/list_row.cpp
    ui/preview.cpp
    ui/preview_picture.cpp
    ui/settings_dialog.cpp
    ui/hotkeys.cpp)
target_link_libraries(tavrel_win PUBLIC tavrel_core user32 gdi32 shell32 comdlg32 advapi32 ole32 oleaut32 uuid windowscodecs)
tavrel_target_defaults(tavrel_win)

# The version resource and the About box take the project version, through
# a generated header; FILEVERSION wants four numbers.
set(TAVREL_VERSION_NUMBERS)
foreach(part MAJOR MINOR PATCH TWEAK)
    if(PROJECT_VERSION_${part} STREQUAL "")
        list(APPEND TAVREL_VERSION_NUMBERS 0)
    else()
        list(APPEND TAVREL_VERSION_NUMBERS ${PROJECT_VERSION_${part}})
    endif()
endforeach()
list(JOIN TAVREL_VERSION_NUMBERS ", " TAVREL_VERSION_NUMBERS)
configure_file(res/version.h.in ${TAVREL_GENERATED}/version.h @ONLY)
string(REPLACE ", " "." TAVREL_MANIFEST_VERSION "${TAVREL_VERSION_NUMBERS}")
configure_file(res/tavrel.manifest.in ${TAVREL_GENERATED}/tavrel.manifest @ONLY)

add_library(tavrel_resources OBJECT res/tavrel.rc)
target_include_directories(tavrel_resources PRIVATE ${TAVREL_GENERATED} ${CMAKE_SOURCE_DIR})
set_source_files_properties(res/tavrel.rc PROPERTIES
    OBJECT_DEPENDS "${TAVREL_IMAGES};${CMAKE_SOURCE_DIR}/res/resource.h;${TAVREL_GENERATED}/version.h;\
${TAVREL_GENERATED}/tavrel.manifest")
add_dependencies(tavrel_resources tavrel_images)

add_executable(Tavrel WIN32 app/main.cpp $<TARGET_OBJECTS:tavrel_resources>)
target_link_libraries(Tavrel PRIVATE tavrel_win)
tavrel_target_defaults(Tavrel)
# The shipped program carries no debug information. It loads at any address
# (ASLR), runs no code from its data (DEP), and needs no private Windows folder
# on a Remote Desktop server (its INI file lies beside it, by full path).
target_link_options(Tavrel PRIVATE -s -Wl,--dynamicbase,--nxcompat,--tsaware)
set_target_properties(Tavrel PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# The default wallpapers lie beside the executable.
add_custom_command(TARGET Tavrel POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E rm -rf $<TARGET_FILE_DIR:Tavrel>/WallPaper
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${TAVREL_GENERATED}/WallPaper $<TARGET_FILE_DIR:Tavrel>/WallPaper)

# The release zip (the package target).
include(cmake/package.cmake)

# Wine runs the Windows test programs in the build tree's own prefix, of the
# build's own bitness.
set(TAVREL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TAVREL_WINEARCH win64)
else()
    set(TAVREL_WINEARCH win32)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_COMMAND} -E env TAVREL_WINEARCH=${TAVREL_WINEARCH}
    ${CMAKE_SOURCE_DIR}/scripts/wine-exec.sh ${TAVREL_WINEPREFIX})

if(EXISTS ${CMAKE_SOURCE_DIR}/tools/standin/CMakeLists.txt)
    add_subdirectory(tools/standin)
endif()

# The end-to-end tests' driver (development only).
add_library(tavrel_driver STATIC tools/driver/driver.cpp)
target_include_directories(tavrel_driver PUBLIC ${CMAKE_SOURCE_DIR}/tools/driver)
target_link_libraries(tavrel_driver PUBLIC user32 gdi32 ntdll)
tavrel_target_defaults(tavrel_driver)

# Development tools live apart from the product's folder.
if(TARGET activedesktop_standin)
    set_target_properties(activedesktop_standin PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/devtools)
endif()

# Timings with long lists (run by hand; see README).
add_subdirectory(bench)
