# Installation into a prefix (GNUInstallDirs) and the Debian package (CPack):
#   cmake --install build --prefix /some/prefix      cd build && cpack -G DEB
# The program, the simulated router (its rule is in tools/routersim), the desktop entry, the
# AppStream metadata, the icons and the man pages. The names follow VANTREL_APP_ID.
set(desktop_src ${PROJECT_SOURCE_DIR}/resources/desktop)
set(desktop_out ${PROJECT_BINARY_DIR}/generated/desktop)
configure_file(${desktop_src}/vantrel.desktop.in ${desktop_out}/${VANTREL_APP_ID}.desktop @ONLY)
configure_file(${desktop_src}/vantrel.metainfo.xml.in
               ${desktop_out}/${VANTREL_APP_ID}.metainfo.xml @ONLY)

# Man pages, compressed as Debian keeps them.
find_program(VANTREL_GZIP gzip REQUIRED)
set(manpages)
foreach(page vantrel vantrel-routersim)
    configure_file(${desktop_src}/${page}.1.in ${desktop_out}/${page}.1 @ONLY)
    add_custom_command(OUTPUT ${desktop_out}/${page}.1.gz
        COMMAND ${VANTREL_GZIP} -9nc ${desktop_out}/${page}.1 > ${desktop_out}/${page}.1.gz
        DEPENDS ${desktop_out}/${page}.1 VERBATIM)
    list(APPEND manpages ${desktop_out}/${page}.1.gz)
endforeach()
add_custom_target(vantrel_manpages ALL DEPENDS ${manpages})

install(TARGETS vantrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${desktop_out}/${VANTREL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop_out}/${VANTREL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${desktop_src}/icons/vantrel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${VANTREL_APP_ID}.svg)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${desktop_src}/icons/vantrel-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${VANTREL_APP_ID}.png)
endforeach()
install(FILES ${manpages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vantrel developers")
set(CPACK_PACKAGE_CONTACT "The Vantrel developers <${VANTREL_EMAIL}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monitor for an ADSL modem-router over SNMP")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"monitor for an ADSL modem-router over SNMP
 Vantrel reads the SNMP agent of an ADSL modem-router and shows the line rates,
 noise margins, attenuation and error counters of the ADSL line, the traffic of
 its interfaces and its IP statistics. It keeps a monthly data-quota account, a
 log of every drop of the line and a tray icon with the state of both.
 .
 The package also holds vantrel-routersim, a simulated router on 127.0.0.1 for
 trying the program without a router.")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://${VANTREL_WEBSITE}")
# The libraries come from dpkg-shlibdeps; Qt loads its platform plugins and the SQLite driver
# of the line history at run time, so no library names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
