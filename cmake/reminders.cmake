# The reminder scan of the running program and the reminder window.
target_sources(natalix_core PRIVATE
    ${CMAKE_SOURCE_DIR}/src/reminder/openlines.h
    ${CMAKE_SOURCE_DIR}/src/reminder/openlines.cpp)
target_sources(natalix_gui PRIVATE
    ${CMAKE_SOURCE_DIR}/src/reminder/remindercommands.h
    ${CMAKE_SOURCE_DIR}/src/reminder/remindercommands.cpp
    ${CMAKE_SOURCE_DIR}/src/reminder/frmmeldung.h
    ${CMAKE_SOURCE_DIR}/src/reminder/frmmeldung.cpp)
