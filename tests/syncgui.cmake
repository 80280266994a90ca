# The window's side of the sync: the keyring through a probe where none can take the password
# (no service, none on the bus, a locked one), the page and the controller against Radicale and
# scripted servers. A case that needs the GNOME keyring where it cannot run skips, and ctest
# then reports the whole test as skipped, not as passed.
add_executable(keyring_probe sync/keyring_probe.cpp)
target_link_libraries(keyring_probe PRIVATE natalix_sync)
natalix_test(test_keyring SOURCES sync/test_keyring.cpp)
target_compile_definitions(test_keyring PRIVATE
    NATALIX_KEYRING_PROBE="$<TARGET_FILE:keyring_probe>")
add_dependencies(test_keyring keyring_probe)
set_tests_properties(test_keyring PROPERTIES TIMEOUT 120 SKIP_REGULAR_EXPRESSION "SKIP   : ")

# The whole sync against Radicale, Xandikos, misbehaving proxies and scripted servers: the
# command line, and the page and the controller in the real main window, on a session bus of
# its own with an unlocked Secret Service.
add_executable(test_sync sync/test_sync.cpp)
target_link_libraries(test_sync PRIVATE natalix_windowsupport natalix_syncsupport)
add_dependencies(test_sync natalix natalix_syncwindow)
# The window finds its sync module beside the program, here the test.
add_custom_command(TARGET test_sync POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E create_symlink $<TARGET_FILE:natalix_syncwindow>
            $<TARGET_FILE_DIR:test_sync>/$<TARGET_FILE_NAME:natalix_syncwindow>)
# Three runs of it, each with its own servers, so that none takes long alone.
set(test_sync_functions rounds pageRoundTrip notSetUp dailySync slowServerBlocksNothing failures
    waitsForTableWork editInProgressIsKept)
set(test_sync_servers_functions runs calendarConverges)
set(test_sync_faults_functions serverFaults severalAddressBooksAreNamed)
foreach(name test_sync test_sync_servers test_sync_faults)
    add_test(NAME ${name} COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/support/with-keyring.sh
                                  $<TARGET_FILE:test_sync> ${${name}_functions})
    set_tests_properties(${name} PROPERTIES TIMEOUT 240
        SKIP_REGULAR_EXPRESSION "SKIP   : " ENVIRONMENT
        "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/lsan.supp:print_suppressions=0")
endforeach()
