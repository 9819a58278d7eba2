# install.cmake -- `cmake --install`: program, capture tool and assets side by side in lib/bearings,
# launchers in bin, and a desktop entry and icon so that the show starts from a desktop menu.
# Everything but the launchers is component "show", which the Debian package (cmake/package.cmake)
# shares; it puts the launchers in games instead of bin.

# Fixed relative folders, so that a launcher finds the assets from its own place and the prefix can move.
set(BEARINGS_ASSET_DIR lib/bearings)
set(BEARINGS_LAUNCHERS bearings bearings-capture)

install(TARGETS bearings bearings-capture RUNTIME DESTINATION ${BEARINGS_ASSET_DIR} COMPONENT show)

# The assets are written by the build, so the folder is read when installing, not when configuring:
# every image, model and the music at the top of the show folder (captured frames in sub-folders stay).
install(CODE "
  file(GLOB bearings_assets
       \"${SHOW_DIR}/*.png\" \"${SHOW_DIR}/*.bmp\" \"${SHOW_DIR}/*.obj\" \"${SHOW_DIR}/*.ogg\")
  if(NOT bearings_assets)
    message(FATAL_ERROR \"No assets in ${SHOW_DIR}: build first\")
  endif()
  file(INSTALL \${bearings_assets} DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${BEARINGS_ASSET_DIR}\")
" COMPONENT show)

# One launcher per program; the capture tool's file options are made absolute before the cd.
foreach(launcher ${BEARINGS_LAUNCHERS})
  set(LAUNCHER_NAME ${launcher})
  set(ASSET_DIR ${BEARINGS_ASSET_DIR})
  if(launcher STREQUAL bearings-capture)
    set(PATH_OPTIONS "--out --video --part --join --parts --contact-sheet")
  else()
    set(PATH_OPTIONS "")
  endif()
  configure_file(${CMAKE_SOURCE_DIR}/tools/install/launcher.sh.in ${CMAKE_BINARY_DIR}/install/${launcher} @ONLY)
  install(PROGRAMS ${CMAKE_BINARY_DIR}/install/${launcher} DESTINATION bin COMPONENT launchers)
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/tools/install/bearings.desktop DESTINATION share/applications COMPONENT show)
install(FILES ${CMAKE_SOURCE_DIR}/tools/install/bearings.svg DESTINATION share/icons/hicolor/scalable/apps
        COMPONENT show)
