# Printing, the about box and help.
target_sources(natalix_gui PRIVATE
    ${CMAKE_SOURCE_DIR}/src/print/printcommands.cpp
    ${CMAKE_SOURCE_DIR}/src/print/printsurface.cpp
    ${CMAKE_SOURCE_DIR}/src/print/frmdrucken.cpp
    ${CMAKE_SOURCE_DIR}/src/extras/extrascommands.cpp
    ${CMAKE_SOURCE_DIR}/src/extras/frmabout.cpp)
# A build run finds the documentation in the source tree when it is not installed.
set_property(SOURCE ${CMAKE_SOURCE_DIR}/src/extras/extrascommands.cpp APPEND PROPERTY
    COMPILE_DEFINITIONS NATALIX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

# Installing: the documentation where the program looks for it (bin/../share/natalix/html),
# the desktop entry, the icon and an autostart example.
include(GNUInstallDirs)
install(FILES ${CMAKE_SOURCE_DIR}/html/dokumentation.htm
        DESTINATION ${CMAKE_INSTALL_DATADIR}/natalix/html)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/example.natalix.Natalix.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/natalix.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/natalix-autostart.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/natalix)
# The options a new data folder starts with: the defaults, with the first-start flag set.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/natalix.ini DESTINATION ${CMAKE_INSTALL_DATADIR}/natalix)
