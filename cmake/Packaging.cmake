# Installation in the usual places and a Debian package of it (cpack -G DEB).
include(GNUInstallDirs)

set(WINDLARK_APP_ID org.windlark.Windlark)
set(WINDLARK_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS windlark-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(WINDLARK_BUILD_GUI)
  install(TARGETS windlark RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${WINDLARK_PACKAGING}/${WINDLARK_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${WINDLARK_PACKAGING}/${WINDLARK_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${WINDLARK_PACKAGING}/icons/${WINDLARK_APP_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 48 64 128 256)
    install(FILES ${WINDLARK_PACKAGING}/icons/${WINDLARK_APP_ID}-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${WINDLARK_APP_ID}.png)
  endforeach()
endif()

# Debian keeps manual pages compressed.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(WINDLARK_MAN_PAGE ${CMAKE_BINARY_DIR}/man/windlark-cli.1.gz)
add_custom_command(OUTPUT ${WINDLARK_MAN_PAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
  COMMAND ${GZIP_PROGRAM} -9nc ${WINDLARK_PACKAGING}/windlark-cli.1 > ${WINDLARK_MAN_PAGE}
  DEPENDS ${WINDLARK_PACKAGING}/windlark-cli.1
  COMMENT "Compressing the windlark-cli manual page")
add_custom_target(windlark_man ALL DEPENDS ${WINDLARK_MAN_PAGE})
install(FILES ${WINDLARK_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/windlark RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME windlark)
set(CPACK_PACKAGE_VENDOR "Windlark")
set(CPACK_PACKAGE_CONTACT "Windlark developers <windlark@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ground station for Vaisala RS41 radiosondes")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "ground station for Vaisala RS41 radiosondes\n\
 Windlark decodes the telemetry of RS41 weather balloons from the FM audio of a\n\
 receiver or SDR program, shows it with a map, records and replays flights,\n\
 exports them as KML, GPX and CSV, uploads to SondeHub, reports to APRS-IS and\n\
 drives SDR# scanning, an antenna rotor and a station GPS.\n\
 .\n\
 windlark-cli is the decoder for headless stations.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's X11 and TLS plugins come with libqt6gui6 and libqt6network6, which dpkg-shlibdeps
# finds. Loaded at run time, so it cannot see them: the sound server Qt Multimedia records
# through, and the window's fonts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, fonts-liberation2 | fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gpsd")
set(CPACK_STRIP_FILES ON)
include(CPack)
