# The desktop edge.
natalix_test(test_upcoming SOURCES reminder/test_upcoming.cpp)
natalix_test(test_autostart SOURCES desktop/test_autostart.cpp)
target_compile_definitions(test_autostart PRIVATE
    NATALIX_DESKTOP_TEST_DIR="${CMAKE_CURRENT_SOURCE_DIR}/desktop")

# Tests that meet the desktop run on a session bus of their own, with an X server of their
# own where they need one (desktopsession.py starts and stops both, bounded in time).
add_library(natalix_bustest STATIC desktop/busmock.cpp)
target_link_libraries(natalix_bustest PUBLIC natalix_testsupport natalix_gui)
target_compile_definitions(natalix_bustest PUBLIC
    NATALIX_DESKTOP_TEST_DIR="${CMAKE_CURRENT_SOURCE_DIR}/desktop")
set(natalix_session /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/desktop/desktopsession.py)

add_executable(test_notifier desktop/test_notifier.cpp)
target_link_libraries(test_notifier PRIVATE natalix_bustest)
add_test(NAME test_notifier
         COMMAND ${natalix_session} --timeout 120 -- $<TARGET_FILE:test_notifier>)
set_tests_properties(test_notifier PROPERTIES TIMEOUT 150
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8")

add_executable(test_trayicon desktop/test_trayicon.cpp)
target_link_libraries(test_trayicon PRIVATE natalix_bustest)
add_test(NAME test_trayicon
         COMMAND ${natalix_session} --x11 --timeout 120 -- $<TARGET_FILE:test_trayicon>)
# No watcher on the bus and no tray on the X server; and no display at all.
add_test(NAME test_trayicon_none
         COMMAND ${natalix_session} --x11 --timeout 60 -- $<TARGET_FILE:test_trayicon> --no-tray)
add_test(NAME test_trayicon_offscreen COMMAND test_trayicon --no-tray)
# Under X, libxkbcommon-x11 reads keymap names with strndup from buffers without a final
# zero, which is correct but what ASan's strict string checks take for an overflow.
set(natalix_x11_asan "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1")
set(natalix_qtdbus_lsan
    "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/desktop/qtdbus-leaks.supp")
set_tests_properties(test_trayicon test_trayicon_none PROPERTIES TIMEOUT 150
    ENVIRONMENT "LC_ALL=C.UTF-8;${natalix_x11_asan};${natalix_qtdbus_lsan}")
set_tests_properties(test_trayicon_offscreen PROPERTIES TIMEOUT 60
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8")

# The window's tray and notifications, with a tray and without.
add_executable(test_presence desktop/test_presence.cpp)
target_link_libraries(test_presence PRIVATE natalix_bustest natalix_windowsupport)
add_test(NAME test_presence
         COMMAND ${natalix_session} --x11 --timeout 120 -- $<TARGET_FILE:test_presence>)
add_test(NAME test_presence_notray
         COMMAND ${natalix_session} --x11 --timeout 60 -- $<TARGET_FILE:test_presence> --no-tray)
set_tests_properties(test_presence test_presence_notray PROPERTIES TIMEOUT 150
    ENVIRONMENT "LC_ALL=C.UTF-8;${natalix_x11_asan};${natalix_qtdbus_lsan}")
