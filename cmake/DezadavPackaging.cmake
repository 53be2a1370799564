# `cpack -G DEB` in a build directory makes an installable Debian package of what `cmake --install`
# installs: dezadav, dezadav-cli, the menu entry, the icons and the manual page. Library
# dependencies are read from the binaries by dpkg-shlibdeps; the window also needs Qt's platform
# plugins, which no binary links directly.
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
if(DEZADAV_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
endif()
include(CPack)
