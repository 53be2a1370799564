# `cpack -G DEB` in a build directory makes an installable Debian package of what `cmake --install`
# installs: dezadav, dezadav-cli, the menu entry, the icons, the manual pages, the bash completion,
# the Ansible collection, and the package's copyright file and changelog where Debian keeps them. Library
# dependencies are read from the binaries by dpkg-shlibdeps; the window also needs Qt's platform
# plugins, which no binary links directly.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(package_changelog ${PROJECT_BINARY_DIR}/changelog.Debian.gz)
add_custom_command(OUTPUT ${package_changelog}
  COMMAND ${GZIP_EXECUTABLE} -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${package_changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
  COMMENT "Compressing the package's changelog")
add_custom_target(dezadav_package_changelog ALL DEPENDS ${package_changelog})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${package_changelog}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/dezadav)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dezadav)
set(CPACK_PACKAGE_VENDOR Dezadav)
set(CPACK_PACKAGE_CONTACT "Dezadav developers <dezadav@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "manage the VoIP settings of office routers")
set(CPACK_PACKAGE_DESCRIPTION
  "Dezadav finds office routers on the LAN with one UDP discovery request, logs\n\
in to a router's telnet command line, reads its VoIP settings (dial plan, SIP,\n\
codec/RTP/DTMF, call log) into editing pages, writes changes back as router\n\
commands, and saves and loads all settings as one CSV file. The window is\n\
dezadav; dezadav-cli does the same from scripts.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Before removal: the byte-code caches Python writes beside the Ansible collection's plugins.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/prerm)
# The collection is used from Ansible, which the programs themselves do not need.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS ansible-core)
if(DEZADAV_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
  # Qt's own texts (dialog buttons, file dialogs) in the window's Chinese languages.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
endif()
include(CPack)
