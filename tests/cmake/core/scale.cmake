# The FILELIST section resolver (natively with the sanitizers, and under Wine).
tavrel_add_test(filelist_section_test
    SOURCES unit/filelist_section_test.cpp
    LIBS tavrel_core
    LABELS unit)
