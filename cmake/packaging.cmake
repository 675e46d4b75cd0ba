# Installation (program, desktop entry, icon) and the Debian package.
include(GNUInstallDirs)

install(TARGETS tarnowick tarnowick-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/app/tarnowick.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/app/tarnowick.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)

set(CPACK_PACKAGE_NAME tarnowick)
set(CPACK_PACKAGE_VENDOR "Velmorin")
set(CPACK_PACKAGE_CONTACT "Velmorin <support@velmorin.eu>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Set up and range-test XBee 868 MHz radio modules")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The Qt libraries the program links, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
