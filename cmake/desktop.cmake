# The desktop edge: upcoming birthdays in the core.
target_sources(natalix_core PRIVATE
    ${CMAKE_SOURCE_DIR}/src/reminder/upcoming.cpp)
