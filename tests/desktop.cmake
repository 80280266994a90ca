# The desktop edge.

# The notifier, the tray, the window's presence on a desktop and the autostart entry: on a
# session bus and an X server of their own (desktopsession.py starts and stops both, bounded
# in time), with a tray and a notification server, and bare, with neither.
add_executable(test_desktop desktop/test_desktop.cpp)
target_link_libraries(test_desktop PRIVATE natalix_windowsupport)
add_dependencies(test_desktop natalix)
target_compile_definitions(test_desktop PRIVATE
    NATALIX_DESKTOP_TEST_DIR="${CMAKE_CURRENT_SOURCE_DIR}/desktop")
set(natalix_session /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/desktop/desktopsession.py)
add_test(NAME test_desktop
         COMMAND ${natalix_session} $<TARGET_FILE:test_desktop>)
add_test(NAME test_desktop_bare
         COMMAND ${natalix_session} $<TARGET_FILE:test_desktop>)
# Under X, libxkbcommon-x11 reads keymap names with strndup from buffers without a final
# zero, which is correct but what ASan's strict string checks take for an overflow.
set(natalix_x11_asan "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1")
set_tests_properties(test_desktop test_desktop_bare PROPERTIES TIMEOUT 150 ENVIRONMENT
    "LC_ALL=C.UTF-8;${natalix_x11_asan};LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/desktop/qtdbus-leaks.supp")
set_property(TEST test_desktop_bare APPEND PROPERTY ENVIRONMENT NATALIX_BARE_DESKTOP=1)
