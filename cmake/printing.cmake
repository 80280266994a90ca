# Printing, the about box and help.
target_sources(natalix_gui PRIVATE ${CMAKE_SOURCE_DIR}/src/print/printcommands.cpp
                                   ${CMAKE_SOURCE_DIR}/src/extras/extrascommands.cpp)
