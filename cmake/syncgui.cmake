# The window's side of the address book and calendar: the password in the system keyring
# (qtkeychain: Secret Service or KWallet over D-Bus on Linux, the platform's store elsewhere;
# never a file), the options page and the controller that runs the syncs for the window.
find_package(Qt6Keychain REQUIRED)
target_sources(natalix_sync PRIVATE
    ${CMAKE_SOURCE_DIR}/src/sync/syncaccount.cpp
    ${CMAKE_SOURCE_DIR}/src/sync/keyring.cpp)
target_link_libraries(natalix_sync PUBLIC Qt6Keychain::Qt6Keychain)
if(UNIX AND NOT APPLE)
    find_package(Qt6 REQUIRED COMPONENTS DBus)
    target_link_libraries(natalix_sync PUBLIC Qt6::DBus)
endif()
target_sources(natalix_gui PRIVATE
    ${CMAKE_SOURCE_DIR}/src/sync/synccontroller.cpp
    ${CMAKE_SOURCE_DIR}/src/sync/syncsettingspage.cpp
    ${CMAKE_SOURCE_DIR}/src/sync/syncwindow.cpp)
target_link_libraries(natalix_gui PUBLIC natalix_sync)
