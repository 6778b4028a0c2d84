# `cmake --install BUILD --prefix P` puts the game in P/libexec/vaskel, its
# images in P/share/vaskel/textures and a launcher in P/bin, with the desktop
# entry, the icons, the AppStream metadata and the man page in their usual
# places under P/share. The launcher finds the rest relative to itself, so
# the installed tree can be moved. The Debian package moves the launcher to
# games/, the game to lib/games/vaskel and the images to share/games/vaskel.
include(GNUInstallDirs)

set(VASKEL_GAME_DIR "${CMAKE_INSTALL_LIBEXECDIR}/vaskel" CACHE STRING
    "Directory of the game binary, relative to the prefix")
set(VASKEL_IMAGE_DIR "${CMAKE_INSTALL_DATADIR}/vaskel/textures" CACHE STRING
    "Directory of the six images, relative to the prefix")

foreach(dir CMAKE_INSTALL_BINDIR VASKEL_GAME_DIR VASKEL_IMAGE_DIR)
  if(IS_ABSOLUTE "${${dir}}")
    message(FATAL_ERROR "${dir} must be relative to the prefix "
                        "(the launcher locates the game from its own place)")
  endif()
endforeach()

# Paths from the launcher's directory to the game and to its images.
file(RELATIVE_PATH VASKEL_BIN_TO_GAME "/p/${CMAKE_INSTALL_BINDIR}" "/p/${VASKEL_GAME_DIR}/vaskel")
file(RELATIVE_PATH VASKEL_BIN_TO_IMAGES "/p/${CMAKE_INSTALL_BINDIR}" "/p/${VASKEL_IMAGE_DIR}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/vaskel-launcher.sh.in
               ${CMAKE_BINARY_DIR}/vaskel-launcher @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/dist/org.vaskel.vaskel.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/org.vaskel.vaskel.metainfo.xml @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/dist/vaskel.6.in ${CMAKE_BINARY_DIR}/vaskel.6 @ONLY)

install(TARGETS vaskel RUNTIME DESTINATION ${VASKEL_GAME_DIR})
install(FILES ${ASSET_FILES} DESTINATION ${VASKEL_IMAGE_DIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/vaskel-launcher
        DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME vaskel)
install(FILES ${CMAKE_SOURCE_DIR}/dist/org.vaskel.vaskel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${CMAKE_BINARY_DIR}/org.vaskel.vaskel.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_BINARY_DIR}/vaskel.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
