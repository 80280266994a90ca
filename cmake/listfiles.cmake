# The list-file commands: new, open, save, properties, exit and hiding.
target_sources(natalix_gui PRIVATE
    ${CMAKE_SOURCE_DIR}/src/listfile/listfilecommands.h
    ${CMAKE_SOURCE_DIR}/src/listfile/listfilecommands.cpp
    ${CMAKE_SOURCE_DIR}/src/listfile/frminfo.h
    ${CMAKE_SOURCE_DIR}/src/listfile/frminfo.cpp)
