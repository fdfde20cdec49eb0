# Desktop integration, manual pages and the Debian package.
#
# The programs go to <prefix>/games (LYNX_GAMES_INSTALL_DIR, tools/) and their
# manual pages to section 6, as Debian wants for games; the icons (hicolor,
# 16x16 to 256x256, lynx-video-poker.png) and the data files are installed by
# resources/. `cpack -G DEB` in a build folder makes
# lynx-video-poker_<version>_<arch>.deb from everything `cmake --install` puts
# in; scripts/check-package runs lintian on it (`make package` does both).

install(FILES ${CMAKE_CURRENT_LIST_DIR}/desktop/io.github.lynx_video_poker.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/desktop/io.github.lynx_video_poker.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the changelog are installed compressed with gzip -9n (no
# name or time stamp in the header, so the same page gives the same bytes).
set(LYNX_MAN_PAGES
  ${PROJECT_SOURCE_DIR}/docs/man/lynx-video-poker.6
  ${PROJECT_SOURCE_DIR}/docs/man/lynx-analyze.6)
set(LYNX_DOC_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/doc/lynx-video-poker)
find_program(LYNX_GZIP gzip REQUIRED)
set(compressed "")
foreach(source ${LYNX_MAN_PAGES} ${CMAKE_CURRENT_LIST_DIR}/debian/changelog)
  get_filename_component(name ${source} NAME)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/compressed/${name}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/compressed
    COMMAND ${LYNX_GZIP} -9n -c ${source} > ${out}
    DEPENDS ${source}
    COMMENT "Compressing ${name}")
  list(APPEND compressed ${out})
endforeach()
add_custom_target(lynx_compressed_docs ALL DEPENDS ${compressed})
foreach(page ${LYNX_MAN_PAGES})
  get_filename_component(name ${page} NAME)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/${name}.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
endforeach()
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/changelog.gz
              ${CMAKE_CURRENT_LIST_DIR}/debian/copyright
        DESTINATION ${LYNX_DOC_INSTALL_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lynx-video-poker)
set(CPACK_PACKAGE_VENDOR "The LYNX Video Poker developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "casino video-poker machine with three games")
# Each line of the long description stays under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "A casino video-poker machine for the desktop: Jacks or Better, Joker Wild
and Deuces Wild. Bet one to five coins, deal, hold, draw and be paid by the
pay table; the balance is kept between runs.

The package also holds lynx-analyze, which answers the games' rules and their
exact odds from the command line.")
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
