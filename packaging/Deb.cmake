# SPDX-License-Identifier: MIT
# The Debian package, built by CPack (make deb): the files of the installation
# under /usr, the shared-library dependencies found by dpkg-shlibdeps. The
# desktop database and the D-Bus service list are refreshed by the triggers
# of desktop-file-utils and dbus on the target machine.

# Every Debian package carries its copyright and changelog.
set(ZAN_DOC_DIR "share/doc/${ZAN_PACKAGE_NAME}")
configure_file(debian/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/changelog @ONLY)
execute_process(COMMAND gzip -9 -n -c ${CMAKE_CURRENT_BINARY_DIR}/changelog
                OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
                RESULT_VARIABLE zan_gzip_status)
if(NOT zan_gzip_status EQUAL 0)
    message(FATAL_ERROR "gzip failed on the package changelog")
endif()
install(FILES debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${ZAN_DOC_DIR})
execute_process(COMMAND gzip -9 -n -c ${CMAKE_CURRENT_SOURCE_DIR}/zan-client-launcher.1
                OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/zan-client-launcher.1.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zan-client-launcher.1.gz DESTINATION share/man/man1)

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "${ZAN_PACKAGE_NAME}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Zan")
set(CPACK_PACKAGE_CONTACT "Zan developers <developers@zan.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "launcher for Zan remote sessions from web links")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The desktop side of the Zan remote-session client. A web browser hands zan:
links to the launcher, which shows the license agreement once per version and
starts the console launcher; the dialog program asks for the sign-in and lets
the user choose a node group, a node and a session.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_INSTALL_PREFIX "/usr")
# The staging root is DESTDIR, so the installation sees /usr as its prefix:
# the desktop entry and the service file name /usr/bin/zan-client-launcher
# and the registration meant for direct installations stays off.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "net")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zan.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its display plugin at run time, out of sight of dpkg-shlibdeps, and
# its own texts (context menus, standard buttons) from its translations.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
# Opening zan: links in a browser goes through xdg-open and the desktop's
# default-application list. On a Wayland desktop the programs run through
# Xwayland without Qt's Wayland plugin, where the compositor may keep their
# windows behind the browser's.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "desktop-file-utils")
set(CPACK_THREADS 2)
include(CPack)
