# Tests of the reminders commands (natalix_test(...) lines).
