# The window's side of the address book and calendar. The account's URLs and user are read
# and written by the core; the window itself holds only the options page and the host, which
# loads the rest the first time it is needed: the module natalix_syncwindow, with the
# controller that runs the syncs for the window, Qt Network and the keyring (qtkeychain:
# Secret Service or KWallet over D-Bus on Linux, the platform's store elsewhere; never a
# file). An idle program without an account maps none of it.
find_package(Qt6Keychain REQUIRED)
target_sources(natalix_core PRIVATE ${CMAKE_SOURCE_DIR}/src/sync/syncaccount.cpp)
target_sources(natalix_sync PRIVATE ${CMAKE_SOURCE_DIR}/src/sync/keyring.cpp)
target_link_libraries(natalix_sync PUBLIC Qt6Keychain::Qt6Keychain)
if(UNIX AND NOT APPLE)
    find_package(Qt6 REQUIRED COMPONENTS DBus)
    target_link_libraries(natalix_sync PUBLIC Qt6::DBus)
endif()
target_sources(natalix_gui PRIVATE
    ${CMAKE_SOURCE_DIR}/src/sync/syncwindow.cpp
    ${CMAKE_SOURCE_DIR}/src/sync/syncsettingspage.cpp)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/src/sync/syncwindow.cpp APPEND PROPERTY
    COMPILE_DEFINITIONS NATALIX_SYNCPART_MODULE="$<TARGET_FILE_NAME:natalix_syncwindow>"
                        NATALIX_MODULE_DIR="${natalix_module_reldir}")

# The module: its own copy of the core works on the window's objects, which it is handed
# through the narrow interface of src/sync/syncpart.h.
add_library(natalix_syncpart STATIC ${CMAKE_SOURCE_DIR}/src/sync/synccontroller.cpp)
target_link_libraries(natalix_syncpart PUBLIC natalix_sync)
add_library(natalix_syncwindow MODULE ${CMAKE_SOURCE_DIR}/src/sync/syncpartentry.cpp)
target_link_libraries(natalix_syncwindow PRIVATE natalix_syncpart)
set_target_properties(natalix_syncwindow PROPERTIES PREFIX "")
