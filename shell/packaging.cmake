# Desktop integration and the Debian package.
#
# The menu entry and the AppStream description go with the executable; the
# icons (hicolor 32x32 and 256x256, lynx-video-poker.png) and the data files
# are installed by resources/. `cpack -G DEB` in a build folder makes
# lynx-video-poker_<version>_<arch>.deb from everything `cmake --install` puts in.

install(FILES ${CMAKE_CURRENT_LIST_DIR}/desktop/io.github.lynx_video_poker.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/desktop/io.github.lynx_video_poker.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lynx-video-poker)
set(CPACK_PACKAGE_VENDOR "The LYNX Video Poker developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "casino video-poker machine with three games")
set(CPACK_PACKAGE_DESCRIPTION
    "A casino video-poker machine for the desktop: Jacks or Better, Joker Wild and Deuces Wild. Bet one to five coins, deal, hold, draw and be paid by the pay table; the balance is kept between runs.")
set(CPACK_PACKAGE_CONTACT "The LYNX Video Poker developers <maintainers@lynx-video-poker.example.org>")
set(CPACK_PACKAGE_INSTALL_DIRECTORY lynx-video-poker)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://lynx-video-poker.example.org/")
# The Qt libraries (libqt6widgets6, libqt6multimedia6 with its back ends, ...)
# come from the shared-library scan; the font the windows are drawn in is
# named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
set(CPACK_STRIP_FILES ON)
include(CPack)
