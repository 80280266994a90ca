# Tests of the listfiles commands (natalix_test(...) lines).
