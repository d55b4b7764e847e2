# Tests that need Windows (Wine). The prefix is prepared once by a fixture.
add_test(NAME wine_prefix
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/prepare-test-prefix.sh ${TAVREL_WINEPREFIX} $<TARGET_FILE_DIR:Tavrel>)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine LABELS setup)
set_tests_properties(core_test PROPERTIES FIXTURES_REQUIRED wine)
