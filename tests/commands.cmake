# Tests of the commands that load, save and print the list, and of the reminders.
natalix_test(test_commands GUI SOURCES commands/test_commands.cpp support/recordingsurface.h)
