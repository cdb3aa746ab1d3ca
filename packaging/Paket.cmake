# Installing like a desktop program, and the Debian package built by CPack.
include(GNUInstallDirs)

install(TARGETS tavero RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tavero.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tavero.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Debian keeps its manual pages compressed.
find_program(GZIP_PROGRAM gzip)
if(GZIP_PROGRAM)
  set(TAVERO_HANDBUCH ${CMAKE_BINARY_DIR}/tavero.1.gz)
  add_custom_command(OUTPUT ${TAVERO_HANDBUCH}
    COMMAND ${GZIP_PROGRAM} -9 -n -c ${CMAKE_CURRENT_LIST_DIR}/tavero.1 > ${TAVERO_HANDBUCH}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/tavero.1 VERBATIM)
  add_custom_target(tavero_handbuch ALL DEPENDS ${TAVERO_HANDBUCH})
else()
  set(TAVERO_HANDBUCH ${CMAKE_CURRENT_LIST_DIR}/tavero.1)
endif()
install(FILES ${TAVERO_HANDBUCH} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavero)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tavero")
set(CPACK_PACKAGE_CONTACT "Tavero-Entwicklung <tavero@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Alarmbilder und Pfeile eines HMI-Projekts bearbeiten und prüfen")
set(CPACK_PACKAGE_DESCRIPTION
    "Tavero zeigt die Anlagenbilder eines HMI-Projekts neben der Tabelle seiner Alarme, weist jedem Alarm Bild, Symbol und Pfeilposition zu, prüft die ganze Tabelle und tauscht die Zuordnungen mit Excel aus.")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/paket)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries the program links name their packages themselves; the plug-ins
# Qt loads at run time (the SQLite driver, the window system) are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(TAVERO_PAKET_ABHAENGIGKEITEN "libqt6sql6-sqlite, qt6-qpa-plugins, qt6-image-formats-plugins, tesseract-ocr-eng"
    CACHE STRING "Debian packages the program needs beside the libraries it links")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${TAVERO_PAKET_ABHAENGIGKEITEN}")
# A server database needs Qt's PostgreSQL driver; an Access file the ODBC one.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libqt6sql6-odbc")
include(CPack)
