# The windows' frames, tool tips, names for screen readers and the reminder window's manners,
# under X (the offscreen platform activates every window it shows).
add_executable(test_dialogs app/test_dialogs.cpp)
target_link_libraries(test_dialogs PRIVATE natalix_windowsupport)
add_test(NAME test_dialogs
         COMMAND ${natalix_session} $<TARGET_FILE:test_dialogs>)
set_tests_properties(test_dialogs PROPERTIES TIMEOUT 150
    ENVIRONMENT "LC_ALL=C.UTF-8;${natalix_x11_asan}")

# What a screen reader reads of the running program: the AT-SPI tree, on a session bus that
# starts the accessibility bus on demand. 77: no accessibility bus can run here.
add_test(NAME check_accessibility
         COMMAND dbus-run-session -- /usr/bin/python3
                 ${CMAKE_CURRENT_SOURCE_DIR}/app/check_accessibility.py $<TARGET_FILE:natalix>)
set_tests_properties(check_accessibility PROPERTIES TIMEOUT 150 SKIP_RETURN_CODE 77)
