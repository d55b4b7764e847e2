# Run by CPack on the zip it has made, before the checksum is taken.
foreach(archive IN LISTS CPACK_PACKAGE_FILES)
    execute_process(COMMAND ${CPACK_TAVREL_PYTHON} ${CPACK_TAVREL_ZIP_NAMES} ${archive} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
