# The settings file at scale and under failure: one-read load and one-piece
# save against the per-key reference, in temporary folders.
tavrel_add_test(settings_scale_test
    SOURCES unit/settings_scale_test.cpp
    LIBS tavrel_win tavrel_driver
    LABELS unit)

# The real program against bad input and a save killed half way.
tavrel_add_e2e_test(bad_input_test e2e/bad_input_test.cpp)
