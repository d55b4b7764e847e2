# Start-up, the playlist's persistence and the settings file.

# In-process against temporary files: needs neither the desktop nor the lock.
tavrel_add_test(settings_store_test
    SOURCES unit/settings_store_test.cpp
    LIBS tavrel_win
    LABELS unit)

# The shipped executable: 32-bit GUI, nothing but system DLLs imported.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_test(NAME imports_test
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/imports_test.sh $<TARGET_FILE:Tavrel>)
    set_tests_properties(imports_test PROPERTIES LABELS unit)
endif()

# The real program: single instance, settings written at the close and at
# the end of the session, folders too deep for the settings file.
tavrel_add_e2e_test(startup_test e2e/startup_test.cpp)
