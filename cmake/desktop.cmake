# The desktop edge: upcoming birthdays, autostart and the desktop's settings in the core; the
# notification, the tray icon and "Nächste Geburtstage" on the window side.
target_sources(natalix_core PRIVATE
    ${CMAKE_SOURCE_DIR}/src/reminder/upcoming.cpp
    ${CMAKE_SOURCE_DIR}/src/desktop/autostart.cpp
    ${CMAKE_SOURCE_DIR}/src/desktop/desktopsettings.cpp)
target_sources(natalix_gui PRIVATE
    ${CMAKE_SOURCE_DIR}/src/extras/frmnaechste.h
    ${CMAKE_SOURCE_DIR}/src/extras/frmnaechste.cpp
    ${CMAKE_SOURCE_DIR}/src/extras/upcomingcommands.h
    ${CMAKE_SOURCE_DIR}/src/extras/upcomingcommands.cpp
    ${CMAKE_SOURCE_DIR}/src/desktop/notifier.cpp
    ${CMAKE_SOURCE_DIR}/src/desktop/trayicon.cpp)
qt_add_resources(natalix_gui natalix_icon PREFIX /natalix BASE ${CMAKE_SOURCE_DIR}/packaging
    FILES ${CMAKE_SOURCE_DIR}/packaging/natalix.svg)
# Windows shows its notifications through the tray icon and needs no bus.
if(NOT WIN32)
    find_package(Qt6 REQUIRED COMPONENTS DBus)
    target_link_libraries(natalix_gui PUBLIC Qt6::DBus)
endif()
