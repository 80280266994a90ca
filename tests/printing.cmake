# Tests of the printing commands, the about box and help.
natalix_test(test_printing GUI SOURCES printing/test_printing.cpp printing/recordingsurface.h)
