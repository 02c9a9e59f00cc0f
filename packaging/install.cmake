# Installing and packaging: `cmake --install build --prefix P` and `cpack -G DEB` in build/.
#   P/bin/iroiro, P/bin/iroiro-capture            the show and showcap under names of their own
#   P/share/iroiro/iroiro/                        the data, found from bin/ as ../share/iroiro
#   P/share/applications/iroiro.desktop           the desktop entry
#   P/share/icons/hicolor/{256x256,48x48}/apps/   the icon, drawn by makedata from the pictures
#   P/share/man/man1/                             the manual pages, compressed
#   P/share/doc/iroiro/                           README, LICENSE, copyright, changelog
#   P/share/doc/iroiro/docs/                      the documents the README links, and its picture
include(GNUInstallDirs)

install(PROGRAMS $<TARGET_FILE:show> DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME iroiro)
install(PROGRAMS $<TARGET_FILE:showcap> DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME iroiro-capture)
# Renamed programs are files to install, not targets, so `--strip` (and the package) strips them
# here, with the compiler's notes (.comment) that a program does not need, as Debian's own
# packages are stripped.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program iroiro iroiro-capture)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded --remove-section=.comment
                      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\")
    endforeach()
  endif()")

install(DIRECTORY ${DATA_FOLDER}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/iroiro/${DATA_FOLDER_NAME}
        FILES_MATCHING PATTERN "*.bmp" PATTERN "*.mp3")

install(FILES ${CMAKE_SOURCE_DIR}/packaging/iroiro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 256 48)
  install(FILES ${CMAKE_BINARY_DIR}/icons/iroiro-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME iroiro.png)
endforeach()

# Manual pages and the changelog go compressed, with no time stamp in the gzip header, so the
# package is the same from build to build.
set(PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
set(COMPRESSED)
foreach(page iroiro.1 iroiro-capture.1)
  add_custom_command(OUTPUT ${PACKAGING_OUT}/${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PACKAGING_OUT}
    COMMAND sh -c "gzip -9n < '${CMAKE_SOURCE_DIR}/docs/man/${page}' > '${PACKAGING_OUT}/${page}.gz'"
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/${page} VERBATIM)
  list(APPEND COMPRESSED ${PACKAGING_OUT}/${page}.gz)
  install(FILES ${PACKAGING_OUT}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_command(OUTPUT ${PACKAGING_OUT}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PACKAGING_OUT}
  COMMAND sh -c "gzip -9n < '${CMAKE_SOURCE_DIR}/packaging/changelog' > '${PACKAGING_OUT}/changelog.gz'"
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(iroiro_packaging_files ALL DEPENDS ${COMPRESSED} ${PACKAGING_OUT}/changelog.gz)

set(DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/iroiro)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/packaging/copyright
              ${PACKAGING_OUT}/changelog.gz
        DESTINATION ${DOC_DIR})
# The README's links are relative (docs/...): the documents go with it, so that each link of the
# installed copy leads somewhere.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/ DESTINATION ${DOC_DIR}/docs
        FILES_MATCHING PATTERN "*.md" PATTERN "*.png" PATTERN "man" EXCLUDE)

# The Debian package: iroiro_<version>_amd64.deb, its library dependencies computed by
# dpkg-shlibdeps, plus the programs iroiro-capture runs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME iroiro)
set(CPACK_PACKAGE_VENDOR "The iroiro developers")
set(CPACK_PACKAGE_CONTACT "The iroiro developers <iroiro@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-running real-time 3D show with its soundtrack")
set(CPACK_PACKAGE_DESCRIPTION
    "A music-accompanied real-time animation drawn with fixed-function OpenGL:\nfive scenes on a fixed schedule over 115 seconds of its own soundtrack.\niroiro plays it full screen or in a window, from any moment;\niroiro-capture renders it to a video or to pictures without a display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ffmpeg, xvfb")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
include(CPack)
