# The editing commands: entry, deletion, clipboard, bulk change, options dialog, weekday.
target_sources(natalix_gui PRIVATE
    ${CMAKE_SOURCE_DIR}/src/table/entrycommands.cpp
    ${CMAKE_SOURCE_DIR}/src/table/deletecommands.cpp
    ${CMAKE_SOURCE_DIR}/src/table/clipboardcommands.cpp
    ${CMAKE_SOURCE_DIR}/src/table/frmaendern.cpp
    ${CMAKE_SOURCE_DIR}/src/options/frmoptions.cpp
    ${CMAKE_SOURCE_DIR}/src/extras/weekdaycommand.cpp
    ${CMAKE_SOURCE_DIR}/src/table/searchcommand.h
    ${CMAKE_SOURCE_DIR}/src/table/searchcommand.cpp)
