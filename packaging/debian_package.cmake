# `make package`: a Debian package of the install rules (packaging/), built
# by CPack from a Release build configured with CMAKE_INSTALL_PREFIX=/usr.
# Its dependencies are the runtime packages of the shared libraries the
# program links, found by dpkg-shlibdeps (never the -dev packages the build
# needs); xdg-utils and cups-client, which the program starts to open and
# print files, are recommended.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvia)
set(CPACK_PACKAGE_VENDOR Orvia)
set(ORVIA_PACKAGE_MAINTAINER "Orvia maintainers <maintainers@orvia.invalid>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT ${ORVIA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "telephone answering machine and small IVR system")
set(CPACK_PACKAGE_DESCRIPTION [[
Orvia answers telephone lines (SIP accounts, PBX extensions or direct SIP
calls), plays out-going messages, follows the caller's keys, transfers calls
and records messages into voice mailboxes. Owners listen by telephone with an
access code; new messages are delivered by e-mail, by FTP upload with an HTML
index page, or by a call back. A desktop window with a tray icon manages it;
the same program runs headless as a systemd service.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The install rules write paths under the prefix into files (the systemd
# units): with DESTDIR the staging folder never becomes the prefix.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, cups-client")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
