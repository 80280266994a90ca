# The desktop edge.
natalix_test(test_upcoming SOURCES reminder/test_upcoming.cpp)
