# Read by cpack before it packs: the Debian package installs to /usr, and only a build
# configured for /usr places the modules in Debian's multiarch library folder.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_NATALIX_INSTALL_PREFIX STREQUAL "/usr")
    message(FATAL_ERROR "The Debian package needs a build configured with "
                        "-DCMAKE_INSTALL_PREFIX=/usr (this one: ${CPACK_NATALIX_INSTALL_PREFIX})")
endif()
