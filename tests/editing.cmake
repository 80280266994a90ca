# Tests of the editing commands (natalix_test(...) lines).
