# Tests of the contacts and calendar commands of the window.
natalix_test(test_contactwindow GUI SOURCES contacts/test_contactwindow.cpp)
add_dependencies(test_contactwindow natalix)
