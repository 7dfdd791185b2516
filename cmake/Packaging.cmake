# The packages, made by `cpack`: on Linux the Debian package, in a tree configured with the "deb"
# preset (see CMakePresets.json), which installs into /usr with Debian's folders for games; on
# Windows a ZIP and an installer (PackagingWindows.cmake), with the "windows" preset; for the
# browser the site and its ZIP (PackagingWeb.cmake), with the "web" preset.
set(CPACK_PACKAGE_NAME sketchboard)
set(CPACK_PACKAGE_VENDOR "The sketchboard developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "draw with the arrow keys on a full-screen sketch board")
set(CPACK_PACKAGE_DESCRIPTION [[
sketchboard is a small drawing toy for the keyboard. It switches the display
to 1280 x 1024, shows a title screen, and waits for a key. Then you steer a
pen over the drawing board with the arrow keys: every one-pixel step stamps a
small blue cross, nothing is ever erased, and the pen's path is the drawing.
Space moves the pen down too, and q quits.]])
# Overridable with -DCPACK_PACKAGE_CONTACT="Name <address>" when configuring.
if(NOT DEFINED CPACK_PACKAGE_CONTACT)
  set(CPACK_PACKAGE_CONTACT "sketchboard developers <sketchboard@example.org>")
endif()

if(SKETCHBOARD_HOMEPAGE)
  set(CPACK_PACKAGE_HOMEPAGE_URL "${SKETCHBOARD_HOMEPAGE}")
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${SKETCHBOARD_HOMEPAGE}")
  set(CPACK_NSIS_URL_INFO_ABOUT "${SKETCHBOARD_HOMEPAGE}")
endif()

# The year and holder of LICENSE's copyright, for the packages' own copyright notes.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" holder_line "${licence}")
set(SKETCHBOARD_COPYRIGHT "${CMAKE_MATCH_1}")

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/PackagingWindows.cmake)
  include(CPack)
  return()
endif()
if(EMSCRIPTEN)
  include(${CMAKE_CURRENT_LIST_DIR}/PackagingWeb.cmake)
  include(CPack)
  return()
endif()

set(CPACK_GENERATOR DEB)

# The documents a Debian package carries in /usr/share/doc/sketchboard: the copyright file, which
# says what LICENSE says in Debian's machine-readable form, and the changelog of this release.
if(SKETCHBOARD_DEBIAN_DOCS)
  string(FIND "${licence}" "Permission" terms_start)
  string(SUBSTRING "${licence}" ${terms_start} -1 terms)
  string(STRIP "${terms}" terms)
  # Continuation lines start with a space, and an empty line is written as " .".
  string(REPLACE "\n\n" "\n.\n" terms "${terms}")
  string(REPLACE "\n" "\n " terms "${terms}")
  set(SKETCHBOARD_LICENCE_TERMS " ${terms}")
  configure_file(packaging/copyright.in ${packaging_out}/copyright @ONLY)

  # Debian changelogs date their entries as RFC 2822 does.
  execute_process(COMMAND date -u -R -d "${SKETCHBOARD_RELEASE_DATE} 12:00"
    OUTPUT_VARIABLE SKETCHBOARD_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
  configure_file(packaging/changelog.in ${packaging_out}/changelog @ONLY)
  sketchboard_compress(${packaging_out}/changelog)
  install(FILES ${packaging_out}/copyright ${packaging_out}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

# The package must hold what the desktop entry names, so it installs under the configured prefix
# rather than CPack's own default.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Either runtime of the SDL 1.2 interface will do. CPack's own dpkg-shlibdeps support can only name
# the one the program was linked against, so the dependencies are worked out at packaging time
# instead (cmake/PackagingDepends.cmake), with that one entry widened to the alternative. It is
# left unversioned: Debian 12's libsdl1.2-compat-shim, which makes sdl12-compat the system's
# libSDL there, provides libsdl1.2debian at version 1.2.15-1, below the version dpkg-shlibdeps
# asks for. (Debian 12's libsdl1.2-compat on its own keeps the library in a private folder.)
set(CPACK_SKETCHBOARD_SDL_DEPENDS "libsdl1.2debian | libsdl1.2-compat")
set(CPACK_SKETCHBOARD_PROGRAM ${PROJECT_BINARY_DIR}/sketchboard)
set(CPACK_SKETCHBOARD_WORK_DIR ${PROJECT_BINARY_DIR}/packaging/shlibdeps)
# A build for another architecture (cmake/toolchain-linux.cmake) makes that architecture's
# package: CPack would name the build machine's. dpkg-shlibdeps knows no sysroot: it is shown the
# sysroot's library folders and the dpkg database of the packages extracted there, which names
# them by their real paths.
if(CMAKE_CROSSCOMPILING)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${SKETCHBOARD_TARGET_ARCH})
  file(REAL_PATH "${CMAKE_SYSROOT}" sysroot)
  set(CPACK_SKETCHBOARD_SHLIBDEPS_OPTIONS
    --admindir=${sysroot}/var/lib/dpkg
    -l${sysroot}/usr/lib/${SKETCHBOARD_TARGET_MULTIARCH}
    -l${sysroot}/lib/${SKETCHBOARD_TARGET_MULTIARCH})
endif()
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/PackagingDepends.cmake)

include(CPack)
