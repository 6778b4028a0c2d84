# `cmake --install BUILD --prefix P` puts the game in P/libexec/vaskel, its
# images in P/share/vaskel/textures and a launcher in P/bin. The launcher
# finds the rest relative to itself, so the installed tree can be moved.
include(GNUInstallDirs)

foreach(dir BINDIR LIBEXECDIR DATADIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    message(FATAL_ERROR "CMAKE_INSTALL_${dir} must be relative to the prefix "
                        "(the launcher locates the game from its own place)")
  endif()
endforeach()

# Paths from the launcher's directory to the game and to its images.
file(RELATIVE_PATH VASKEL_BIN_TO_GAME "/p/${CMAKE_INSTALL_BINDIR}"
     "/p/${CMAKE_INSTALL_LIBEXECDIR}/vaskel/vaskel")
file(RELATIVE_PATH VASKEL_BIN_TO_IMAGES "/p/${CMAKE_INSTALL_BINDIR}"
     "/p/${CMAKE_INSTALL_DATADIR}/vaskel/textures")
configure_file(${CMAKE_CURRENT_LIST_DIR}/vaskel-launcher.sh.in
               ${CMAKE_BINARY_DIR}/vaskel-launcher @ONLY)

install(TARGETS vaskel RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/vaskel)
install(FILES ${ASSET_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/vaskel/textures)
install(PROGRAMS ${CMAKE_BINARY_DIR}/vaskel-launcher
        DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME vaskel)
