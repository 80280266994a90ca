# The desktop edge.
natalix_test(test_upcoming SOURCES reminder/test_upcoming.cpp)

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
