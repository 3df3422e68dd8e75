# Installation as a Linux desktop program: the programs in bin/, the desktop
# entry, the icons and the translations under share/, and the Debian package
# CPack makes of them.
# A project that adds this one with add_subdirectory() gets none of it unless
# it asks for PICTAVEL_INSTALL.
include(GNUInstallDirs)

option(PICTAVEL_INSTALL "Install the programs, the desktop entry and the icons"
       ${PROJECT_IS_TOP_LEVEL})
if(NOT PICTAVEL_INSTALL)
  return()
endif()

install(TARGETS pictavel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET pictavel-build)
  install(TARGETS pictavel-build RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES ${PICTAVEL_QM_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/pictavel/translations)

install(FILES ${PROJECT_SOURCE_DIR}/resources/pictavel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The window's own icon is 32 pixels; the 16-pixel one is scaled down from it.
# Larger sizes would only be blown up, so the desktop scales them itself.
set(_pictavel_icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/hicolor/16x16/apps/pictavel.png
        DESTINATION ${_pictavel_icons}/16x16/apps)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/pictavel.png
        DESTINATION ${_pictavel_icons}/32x32/apps)

# The package belongs to the project being built, never to one that includes it.
if(NOT PROJECT_IS_TOP_LEVEL)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pictavel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Publishes pictures as a static HTML gallery of thumbnails")
set(CPACK_PACKAGE_CONTACT "Pictavel developers <pictavel@localhost>")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# Debian 12 names. The program is built against this Qt and needs at least
# its minor version; the platform plugins let the window start at all.
set(_pictavel_qt "(>= ${Qt6_VERSION_MAJOR}.${Qt6_VERSION_MINOR})")
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6widgets6 ${_pictavel_qt}, libqt6gui6 ${_pictavel_qt}, libqt6core6 ${_pictavel_qt}, qt6-qpa-plugins, qt6-translations-l10n, libjpeg62-turbo, libturbojpeg0, libgif7, liblcms2-2")
include(CPack)
