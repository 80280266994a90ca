# Tests of the editing commands (natalix_test(...) lines).
natalix_test(test_editing GUI SOURCES editing/test_editing.cpp)
