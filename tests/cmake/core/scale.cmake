# The FILELIST section resolver (natively with the sanitizers, and under Wine).
tavrel_add_test(filelist_section_test
    SOURCES unit/filelist_section_test.cpp
    LIBS tavrel_core
    LABELS unit)

# A short libFuzzer run of the Win32-free parsers, natively, when clang is
# there (the native build itself uses g++). See README for a longer run.
if(NOT WIN32)
    find_program(TAVREL_CLANGXX NAMES clang++ clang++-14)
    if(TAVREL_CLANGXX)
        add_test(NAME parsers_fuzz
                 COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/run.sh 10 ${CMAKE_BINARY_DIR}/fuzz)
        set_tests_properties(parsers_fuzz PROPERTIES LABELS fuzz ENVIRONMENT "CLANGXX=${TAVREL_CLANGXX}")
    endif()
endif()
