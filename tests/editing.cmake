# Tests of the editing commands (natalix_test(...) lines).
natalix_test(test_entry GUI SOURCES editing/test_entry.cpp)
natalix_test(test_delete GUI SOURCES editing/test_delete.cpp)
natalix_test(test_clipboard GUI SOURCES editing/test_clipboard.cpp)
natalix_test(test_dialogs GUI SOURCES editing/test_dialogs.cpp)
