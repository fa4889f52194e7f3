# What "cmake --install" puts under the prefix besides the programs and the
# shipped data: the desktop entry, the icon, the AppStream metainfo, the
# manual pages and the shell completion. Also the Debian package (CPack).
include(GNUInstallDirs)

set(LARKSPAN_DIST ${CMAKE_SOURCE_DIR}/dist/linux)
set(LARKSPAN_APP_ID org.larkspan.Larkspan)
set(LARKSPAN_MAN_DIR ${CMAKE_BINARY_DIR}/man)

install(FILES ${LARKSPAN_DIST}/${LARKSPAN_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${LARKSPAN_DIST}/${LARKSPAN_APP_ID}.metainfo.xml
  ${CMAKE_BINARY_DIR}/dist/${LARKSPAN_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/dist/${LARKSPAN_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(FILES ${LARKSPAN_DIST}/icons/${LARKSPAN_APP_ID}.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${LARKSPAN_DIST}/icons/${size}x${size}/${LARKSPAN_APP_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages: larkspan(1) is written by hand; larkspan-cli(1) takes its
# COMMANDS section from the built program, so new commands appear by themselves.
configure_file(${LARKSPAN_DIST}/man/larkspan-cli.1.in ${CMAKE_BINARY_DIR}/dist/larkspan-cli.1.in @ONLY)
add_custom_command(OUTPUT ${LARKSPAN_MAN_DIR}/larkspan-cli.1
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LARKSPAN_MAN_DIR}
  COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:larkspan-cli> -DTEMPLATE=${CMAKE_BINARY_DIR}/dist/larkspan-cli.1.in
          -DOUTPUT=${LARKSPAN_MAN_DIR}/larkspan-cli.1 -P ${CMAKE_SOURCE_DIR}/cmake/GenerateManual.cmake
  DEPENDS larkspan-cli ${CMAKE_BINARY_DIR}/dist/larkspan-cli.1.in ${CMAKE_SOURCE_DIR}/cmake/GenerateManual.cmake
  VERBATIM)
configure_file(${LARKSPAN_DIST}/man/larkspan.1.in ${LARKSPAN_MAN_DIR}/larkspan.1 @ONLY)
add_custom_target(larkspan_manuals ALL DEPENDS ${LARKSPAN_MAN_DIR}/larkspan-cli.1)
install(FILES ${LARKSPAN_MAN_DIR}/larkspan-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(LARKSPAN_GUI)
  install(FILES ${LARKSPAN_MAN_DIR}/larkspan.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

install(FILES ${LARKSPAN_DIST}/completion/larkspan-cli.bash
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME larkspan-cli)
# Debian's zsh reads vendor completions under /usr, site-functions elsewhere;
# the prefix is known only at install time (CPack installs under /usr).
install(CODE "
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    set(zsh_folder vendor-completions)
  else()
    set(zsh_folder site-functions)
  endif()
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/zsh/\${zsh_folder}\"
       TYPE FILE FILES \"${LARKSPAN_DIST}/completion/_larkspan-cli\")
")

# Debian package: scripts/package.sh.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME larkspan)
set(CPACK_PACKAGE_VENDOR "The Larkspan developers")
set(CPACK_PACKAGE_CONTACT "The Larkspan developers <larkspan@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "web-server access log analyser")
set(CPACK_PACKAGE_DESCRIPTION
  "Larkspan imports the access logs of web sites (W3C extended, NCSA common, combined and
site, comma-separated and Netscape flexible, local or by FTP) into a per-day store and
writes report sets: HTML reports, an index page, charts, CSV files and e-mail copies.
The package holds the desktop program larkspan and the command line larkspan-cli.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The FTP client loads libcurl when it first connects, so no link names it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, adwaita-icon-theme")
set(CPACK_STRIP_FILES ON)
include(CPack)
