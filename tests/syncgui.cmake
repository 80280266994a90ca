# The window's side of the sync: the keyring through a probe in several environments (a real
# Secret Service, none), the page and the controller against Radicale and scripted servers.
add_executable(keyring_probe sync/keyring_probe.cpp)
target_link_libraries(keyring_probe PRIVATE natalix_sync)
natalix_test(test_keyring SOURCES sync/test_keyring.cpp)
target_compile_definitions(test_keyring PRIVATE
    NATALIX_KEYRING_PROBE="$<TARGET_FILE:keyring_probe>")
add_dependencies(test_keyring keyring_probe)
set_tests_properties(test_keyring PROPERTIES TIMEOUT 120)
