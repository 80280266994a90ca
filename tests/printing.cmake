# Tests of the printing commands (natalix_test(...) lines).
