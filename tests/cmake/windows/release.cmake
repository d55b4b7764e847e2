# The release zip of this tree: made by the package target (a fixture), its
# contents checked, and the program unpacked from it run end to end.
add_test(NAME release_package COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target package)
set_tests_properties(release_package PROPERTIES FIXTURES_SETUP release LABELS setup)
add_test(NAME release_zip_test COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/release_zip_test.sh ${TAVREL_RELEASE_ZIP})
set_tests_properties(release_zip_test PROPERTIES FIXTURES_REQUIRED release LABELS unit)

tavrel_add_e2e_test(release_test e2e/release_test.cpp)
# Reads the version resource; the program itself never links version.dll.
target_link_libraries(release_test PRIVATE version)
target_compile_definitions(release_test PRIVATE TAVREL_TEST_VERSION="${PROJECT_VERSION}")
set_property(TEST release_test APPEND PROPERTY FIXTURES_REQUIRED release)
set_property(TEST release_test APPEND PROPERTY ENVIRONMENT TAVREL_RELEASE_ZIP=${TAVREL_RELEASE_ZIP})
