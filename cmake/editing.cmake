# The editing commands: entry, deletion, clipboard, bulk change, options dialog, weekday.
target_sources(natalix_gui PRIVATE ${CMAKE_SOURCE_DIR}/src/table/editingcommands.cpp)
