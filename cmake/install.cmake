# What `cmake --install` puts where, and the Debian package `cpack -G DEB` makes of it.
include(GNUInstallDirs)

set(SAXOLITH_APP_ID org.example.saxolith)
set(SAXOLITH_RELEASE_DATE 2026-12-10)
set(SAXOLITH_ICON_SIZES 16 22 24 32 48 64 128 256)
set(resources ${PROJECT_SOURCE_DIR}/resources)

install(TARGETS saxolith RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(BATCH_FEATURE "")
set(BATCH_BINARY "")
if(TARGET saxolith-batch)
  install(TARGETS saxolith-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(BATCH_FEATURE "      <li>saxolith-batch calculates a whole pile schedule from the command line</li>")
  set(BATCH_BINARY "    <binary>saxolith-batch</binary>")
endif()

install(FILES ${resources}/${SAXOLITH_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The project file's type (*.saxolith), which the desktop entry and the AppStream data name.
install(FILES ${resources}/${SAXOLITH_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
  RENAME ${SAXOLITH_APP_ID}.xml)
configure_file(${resources}/${SAXOLITH_APP_ID}.metainfo.xml.in ${PROJECT_BINARY_DIR}/${SAXOLITH_APP_ID}.metainfo.xml
  @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${SAXOLITH_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size ${SAXOLITH_ICON_SIZES})
  install(FILES ${resources}/icons/saxolith-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${SAXOLITH_APP_ID}.png)
endforeach()
install(FILES ${resources}/icons/saxolith.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${SAXOLITH_APP_ID}.svg)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/saxolith RENAME copyright)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/saxolith)

# The installed tree and the package, checked with the desktop's own validators.
if(SAXOLITH_TESTS)
  add_test(NAME installed_tree COMMAND ${PROJECT_SOURCE_DIR}/tools/check-install ${PROJECT_BINARY_DIR})
  # Packs the same build tree: one at a time.
  set_tests_properties(installed_tree PROPERTIES RUN_SERIAL TRUE TIMEOUT 300)
endif()

set(CPACK_PACKAGE_NAME saxolith)
set(CPACK_PACKAGE_VENDOR "The Saxolith developers")
set(CPACK_PACKAGE_CONTACT "The Saxolith developers <saxolith@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Bearing capacity of rock-socketed piles")
set(CPACK_PACKAGE_DESCRIPTION "Calculates the characteristic vertical bearing capacity of rock-socketed piles,
keeps a calculation book and lists the candidates of an optimisation run.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://saxolith.example.org")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries come from dpkg-shlibdeps; the Chinese texts need a font that has them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-zenhei | fonts-noto-cjk, qt6-qpa-plugins")
# Qt's own dialogs in the language of the locale.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
