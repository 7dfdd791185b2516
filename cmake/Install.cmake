# What `cmake --install` puts where. Every folder comes from GNUInstallDirs, so packagers move
# them with the usual cache variables; the Debian package, for instance, uses the games folders
# (see CMakePresets.json).
#
#   ${CMAKE_INSTALL_BINDIR}/sketchboard                    launcher: enters the data folder, starts
#   ${CMAKE_INSTALL_LIBEXECDIR}/sketchboard/sketchboard    the program, kept off the PATH
#   ${CMAKE_INSTALL_DATADIR}/sketchboard/Data1.skt ...     the five pictures
#   ${CMAKE_INSTALL_DATAROOTDIR}/applications, icons, metainfo, and the manual page in section 6
#   ${CMAKE_INSTALL_DOCDIR}/LICENSE                        (a Debian package: copyright, changelog.gz)
include(GNUInstallDirs)

set(SKETCHBOARD_ID org.example.sketchboard)

set(sketchboard_data_dir ${CMAKE_INSTALL_DATADIR}/sketchboard)
set(sketchboard_program_dir ${CMAKE_INSTALL_LIBEXECDIR}/sketchboard)

# A desktop entry has no way to say "relative to me": its Exec= and Path= are absolute, and so
# are the file names in the manual page. They are fixed here from the configured prefix.
set(SKETCHBOARD_FULL_LAUNCHER ${CMAKE_INSTALL_FULL_BINDIR}/sketchboard)
set(SKETCHBOARD_FULL_DATA_DIR ${CMAKE_INSTALL_FULL_DATADIR}/sketchboard)
set(SKETCHBOARD_FULL_PROGRAM ${CMAKE_INSTALL_FULL_LIBEXECDIR}/sketchboard/sketchboard)

# The launcher instead finds the data folder and the program relative to its own place, so that
# the tree works under any prefix and DESTDIR, or moved as a whole.
file(RELATIVE_PATH SKETCHBOARD_LAUNCHER_TO_DATA
  ${CMAKE_INSTALL_FULL_BINDIR} ${SKETCHBOARD_FULL_DATA_DIR})
file(RELATIVE_PATH SKETCHBOARD_LAUNCHER_TO_PROGRAM
  ${CMAKE_INSTALL_FULL_BINDIR} ${SKETCHBOARD_FULL_PROGRAM})

set(packaging_out ${PROJECT_BINARY_DIR}/packaging)
set(SKETCHBOARD_METAINFO_HOMEPAGE "")
if(SKETCHBOARD_HOMEPAGE)
  set(SKETCHBOARD_METAINFO_HOMEPAGE "  <url type=\"homepage\">${SKETCHBOARD_HOMEPAGE}</url>\n")
endif()
configure_file(packaging/sketchboard.in ${packaging_out}/sketchboard @ONLY)
configure_file(packaging/sketchboard.desktop.in ${packaging_out}/${SKETCHBOARD_ID}.desktop @ONLY)
configure_file(packaging/sketchboard.metainfo.xml.in
  ${packaging_out}/${SKETCHBOARD_ID}.metainfo.xml @ONLY)
configure_file(packaging/sketchboard.6.in ${packaging_out}/sketchboard.6 @ONLY)

# Manual pages and changelogs are installed compressed, as Debian asks; -n keeps the name and
# time out of the archive, so that the package's contents do not change from one build to the
# next. Makes file.gz beside the file as part of every build.
function(sketchboard_compress file)
  get_filename_component(name ${file} NAME)
  string(MAKE_C_IDENTIFIER "compress_${name}" target)
  add_custom_command(OUTPUT ${file}.gz
    COMMAND gzip -9 -n -f -k ${file}
    DEPENDS ${file}
    COMMENT "Compressing ${name}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${file}.gz)
endfunction()
sketchboard_compress(${packaging_out}/sketchboard.6)

install(TARGETS sketchboard RUNTIME DESTINATION ${sketchboard_program_dir})
install(PROGRAMS ${packaging_out}/sketchboard DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${SKETCHBOARD_PICTURES} DESTINATION ${sketchboard_data_dir})
install(FILES ${packaging_out}/${SKETCHBOARD_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${packaging_out}/${SKETCHBOARD_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${packaging_out}/sketchboard.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# A Debian package carries the licence in its copyright file, beside a changelog (both made in
# Packaging.cmake); any other install carries LICENSE itself.
option(SKETCHBOARD_DEBIAN_DOCS "Install Debian's copyright file and changelog instead of LICENSE"
  OFF)
if(NOT SKETCHBOARD_DEBIAN_DOCS)
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

install(FILES data/sketchboard.png
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/256x256/apps
  RENAME ${SKETCHBOARD_ID}.png)
foreach(size 32 48 64 128)
  install(FILES data/sketchboard-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps
    RENAME ${SKETCHBOARD_ID}.png)
endforeach()

# The desktop entry and the manual page name the configured prefix: installing elsewhere with
# `cmake --install --prefix` leaves the launcher working but the menu entry pointing at the old
# place. Say so rather than install a menu entry that does nothing.
install(CODE "
  if(NOT CMAKE_INSTALL_PREFIX STREQUAL \"${CMAKE_INSTALL_PREFIX}\")
    message(WARNING \"sketchboard: configured for ${CMAKE_INSTALL_PREFIX} but installed into \${CMAKE_INSTALL_PREFIX}: the menu entry still starts ${SKETCHBOARD_FULL_LAUNCHER}. Configure with -DCMAKE_INSTALL_PREFIX=\${CMAKE_INSTALL_PREFIX} instead.\")
  endif()")
