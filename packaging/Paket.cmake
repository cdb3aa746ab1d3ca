# Installing like a desktop program, and the Debian package built by CPack.
include(GNUInstallDirs)

install(TARGETS tavero tavero-kopie RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tavero.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tavero.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavero)

# Debian keeps its manual pages and the changelog compressed.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(TAVERO_GEPACKT)
foreach(datei tavero.1 tavero-kopie.1 changelog)
  set(ziel ${CMAKE_BINARY_DIR}/paketdateien/${datei}.gz)
  add_custom_command(OUTPUT ${ziel}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/paketdateien
    COMMAND ${GZIP_PROGRAM} -9 -n -c ${CMAKE_CURRENT_LIST_DIR}/${datei} > ${ziel}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/${datei} VERBATIM)
  list(APPEND TAVERO_GEPACKT ${ziel})
endforeach()
add_custom_target(tavero_handbuch ALL DEPENDS ${TAVERO_GEPACKT})
install(FILES ${CMAKE_BINARY_DIR}/paketdateien/tavero.1.gz ${CMAKE_BINARY_DIR}/paketdateien/tavero-kopie.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/paketdateien/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavero)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavero)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tavero")
set(CPACK_PACKAGE_CONTACT "Tavero-Entwicklung <tavero@tavero.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Alarmbilder und Pfeile eines HMI-Projekts bearbeiten und prüfen")
# Lines of at most 80 characters, as Debian wants them; CPack puts the summary above.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tavero zeigt die Anlagenbilder eines HMI-Projekts neben der Tabelle seiner
Alarme, weist jedem Alarm Bild, Symbol und Pfeilposition zu, prüft die ganze
Tabelle und tauscht die Zuordnungen mit Excel aus. Mit tavero-kopie wandert
die Alarmtabelle zwischen einer SQLite-Datei und einem PostgreSQL-Server.")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/paket CACHE PATH "Where make paket puts the .deb")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Directories and files as Debian has them, whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The libraries the program links name their packages themselves; the plug-ins
# Qt loads at run time (the SQLite driver, the window system) are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(TAVERO_PAKET_ABHAENGIGKEITEN "libqt6sql6-sqlite, qt6-qpa-plugins, qt6-image-formats-plugins, tesseract-ocr-eng"
    CACHE STRING "Debian packages the program needs beside the libraries it links")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${TAVERO_PAKET_ABHAENGIGKEITEN}")
# A server database needs Qt's PostgreSQL driver, an Access file the ODBC one;
# Qt's German translations make its own dialogs speak German.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libqt6sql6-odbc")
include(CPack)
