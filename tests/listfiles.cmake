# Tests of the listfiles commands (natalix_test(...) lines).
natalix_test(test_listfilecommands GUI SOURCES listfiles/test_listfilecommands.cpp)
