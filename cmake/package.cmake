# The release as small Windows tools ship: one zip that runs where it is
# unpacked (Tavrel.exe, the default wallpapers, README.txt) and its SHA-256
# beside it. `cmake --build <tree> --target package` makes
# Tavrel-<version>-win32.zip (win64 from the 64-bit test tree).

install(TARGETS Tavrel RUNTIME DESTINATION .)
install(DIRECTORY ${TAVREL_GENERATED}/WallPaper/ DESTINATION WallPaper)
# An ASCII name that every unzipper shows; UTF-8 with BOM and CRLF, which
# Notepad reads right on every Windows.
configure_file(res/README.txt.in ${TAVREL_GENERATED}/README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${TAVREL_GENERATED}/README.txt DESTINATION .)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
else()
    set(CPACK_SYSTEM_NAME win32)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tavrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Tavrel-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
# The files themselves at the top: Explorer's "Extract All" already makes a
# folder named after the zip.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(TAVREL_RELEASE_ZIP ${CMAKE_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.zip)
include(CPack)
