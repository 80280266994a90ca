# Tests of the reminders commands (natalix_test(...) lines).
natalix_test(test_remindercommands GUI SOURCES reminders/test_remindercommands.cpp)
