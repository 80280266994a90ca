# What software centres read, the documentation files every Debian package carries, and the
# Debian package itself: `cmake --build <build> --target package` (configured with
# -DCMAKE_INSTALL_PREFIX=/usr) gives natalix_<version>_<arch>.deb.
set(natalix_app_id example.natalix.Natalix)

# Most of a compile here is Qt's headers: parsed once per library, the package check's
# second build costs a fraction. Off by default: the shared compiler cache skips such files.
option(NATALIX_PRECOMPILED_HEADERS "Precompile Qt's headers once per library" OFF)
if(NATALIX_PRECOMPILED_HEADERS)
    target_precompile_headers(natalix_core PRIVATE <QtCore>)
    target_precompile_headers(natalix_sync PRIVATE <QtNetwork>)
    target_precompile_headers(natalix_gui PRIVATE <QtWidgets>)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${natalix_app_id}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
if(NOT UNIX OR APPLE)
    return()
endif()

# Compressed without name and time stamp: the same text gives the same bytes.
foreach(natalix_text changelog natalix.1)
    execute_process(COMMAND gzip -9nc INPUT_FILE ${CMAKE_SOURCE_DIR}/packaging/${natalix_text}
                    OUTPUT_FILE ${CMAKE_BINARY_DIR}/${natalix_text}.gz COMMAND_ERROR_IS_FATAL ANY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                 ${CMAKE_SOURCE_DIR}/packaging/${natalix_text})
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/natalix)
install(FILES ${CMAKE_BINARY_DIR}/natalix.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME natalix)
set(CPACK_PACKAGE_VENDOR "Fiktive Softwarewerkstatt Muster")
set(CPACK_PACKAGE_CONTACT "Fiktive Softwarewerkstatt Muster <support@natalix.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://www.natalix.example)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "birthday reminder for the desktop (German user interface)")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${CMAKE_SOURCE_DIR}/packaging/description)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Folders 0755 whatever the packager's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so no binary names them: the window cannot open without a platform
# plugin; Qt's own dialog buttons speak German only with the translations.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
# Checked when cpack starts: only a build for /usr puts the modules in the multiarch folder.
set(CPACK_NATALIX_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/packaging/cpackcheck.cmake)
include(CPack)
