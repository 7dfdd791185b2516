# The Windows packages, made by `cpack` in the Windows build (see CMakePresets.json): a ZIP to
# unpack anywhere and a 64-bit NSIS installer. Both hold one flat folder: the program, SDL.dll,
# the five pictures, a README for Windows users and the licences. The program reads its pictures
# from its working folder; double-clicked in that folder, or started from the installer's
# shortcut, that is the folder itself. Here too: what the program carries (its icon, version
# details and manifest), and SDL's source package, in an archive beside the packages.

# Text files as Windows editors expect them, with CR LF line ends.
function(sketchboard_windows_text source destination)
  file(READ "${source}" text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE "${destination}" "${text}")
endfunction()

set(windows_out ${PROJECT_BINARY_DIR}/packaging)

# What the program itself carries (packaging/windows/sketchboard.rc.in): the icon, the version
# details (the home page among them, where the project has one) and the manifest.
set(SKETCHBOARD_ICON ${PROJECT_SOURCE_DIR}/data/sketchboard.ico)
set(SKETCHBOARD_MANIFEST ${PROJECT_SOURCE_DIR}/packaging/windows/sketchboard.manifest)
set(SKETCHBOARD_RC_HOMEPAGE "")
if(SKETCHBOARD_HOMEPAGE)
  set(SKETCHBOARD_RC_HOMEPAGE "VALUE \"Comments\", \"${SKETCHBOARD_HOMEPAGE}\"")
endif()
configure_file(packaging/windows/sketchboard.rc.in ${windows_out}/sketchboard.rc @ONLY)
set_source_files_properties(${windows_out}/sketchboard.rc PROPERTIES
  OBJECT_DEPENDS "${SKETCHBOARD_ICON};${SKETCHBOARD_MANIFEST}")
target_sources(sketchboard PRIVATE ${windows_out}/sketchboard.rc)
# Stripped when linked: strip, which CPack would run, writes the time of day into the PE header,
# and the program is to be the same bytes from the same source.
target_link_options(sketchboard PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)

configure_file(packaging/windows/README.txt.in ${windows_out}/README.in.txt @ONLY)
sketchboard_windows_text(${windows_out}/README.in.txt ${windows_out}/README.txt)
sketchboard_windows_text(${PROJECT_SOURCE_DIR}/LICENSE ${windows_out}/LICENSE.txt)
sketchboard_windows_text(${SKETCHBOARD_SDL_LICENSE} ${windows_out}/SDL-COPYING.txt)
# The LGPL asks that whoever receives SDL.dll can have its source from the same place: the
# source package it was built from goes beside the packages, as one archive.
set(sdl_source_archive sketchboard-${PROJECT_VERSION}-sdl-source.tar)
list(TRANSFORM SKETCHBOARD_SDL_SOURCE_FILES REPLACE ".*/" "" OUTPUT_VARIABLE sdl_source_names)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${sdl_source_archive}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${PROJECT_BINARY_DIR}/${sdl_source_archive} ${sdl_source_names}
  WORKING_DIRECTORY ${SKETCHBOARD_SDL_PREFIX}/source
  DEPENDS ${SKETCHBOARD_SDL_SOURCE_FILES}
  COMMENT "Putting SDL's source package into ${sdl_source_archive}"
  VERBATIM)
add_custom_target(sdl_source_archive ALL DEPENDS ${PROJECT_BINARY_DIR}/${sdl_source_archive})
string(REGEX REPLACE "[+-].*" "" sdl_version ${SKETCHBOARD_SDL_SOURCE_VERSION})
list(JOIN sdl_source_names "\n  " sdl_source_listing)
file(WRITE ${windows_out}/SDL-SOURCE.in.txt "\
SDL.dll is SDL ${sdl_version}, built from Debian's source package libsdl1.2, version
${SKETCHBOARD_SDL_SOURCE_VERSION}, with Debian's patches applied, for x86_64 Windows with
mingw-w64, configured without audio, joystick and CD-ROM support.

That source comes with this program, in ${sdl_source_archive},
published beside its ZIP file and its installer. It holds Debian's source
package:
  ${sdl_source_listing}
To unpack it, with Debian's patches applied (dpkg-source is in Debian's
dpkg-dev package):
  tar xf ${sdl_source_archive}
  dpkg-source -x libsdl1.2_${SKETCHBOARD_SDL_SOURCE_VERSION}.dsc
It is also at https://sources.debian.org/src/libsdl1.2/${SKETCHBOARD_SDL_SOURCE_VERSION}/
")
sketchboard_windows_text(${windows_out}/SDL-SOURCE.in.txt ${windows_out}/SDL-SOURCE.txt)

set(windows_package_files ${SKETCHBOARD_SDL_DLL} ${SKETCHBOARD_PICTURES}
  ${windows_out}/README.txt ${windows_out}/LICENSE.txt
  ${windows_out}/SDL-COPYING.txt ${windows_out}/SDL-SOURCE.txt)
install(TARGETS sketchboard RUNTIME DESTINATION .)
install(FILES ${windows_package_files} DESTINATION .)

set(CPACK_GENERATOR ZIP NSIS)
# The NSIS lines below hold backslashes and quotes that must reach the installer script as they are.
set(CPACK_VERBATIM_VARIABLES ON)
# Already stripped: the program when linked, SDL.dll when built.
set(CPACK_STRIP_FILES OFF)
set(CPACK_PACKAGE_INSTALL_DIRECTORY sketchboard)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY sketchboard)
set(CPACK_RESOURCE_FILE_LICENSE ${windows_out}/LICENSE.txt)
# The ZIP's dates and order are made fixed after CPack has written it (PackagingZip.cmake): from
# SOURCE_DATE_EPOCH, or the last commit, or the release date.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackagingZip.cmake)
set(CPACK_SKETCHBOARD_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_SKETCHBOARD_RELEASE_DATE ${SKETCHBOARD_RELEASE_DATE})

# makensis's default stub makes a 32-bit installer, which Windows without its 32-bit part cannot
# run; the wrapper asks for a 64-bit one. A 64-bit installer installs into the 64-bit Program
# Files and registers in the 64-bit view of the registry.
set(CPACK_NSIS_EXECUTABLE ${PROJECT_SOURCE_DIR}/packaging/windows/makensis-amd64.sh)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# Also the Start-menu folder's name.
set(CPACK_NSIS_PACKAGE_NAME sketchboard)
set(CPACK_NSIS_DISPLAY_NAME sketchboard)
set(CPACK_NSIS_INSTALLED_ICON_NAME sketchboard.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The installer in the program's own colours: its icon on the installer, the uninstaller and
# the shortcut (DisplayIcon, from CPACK_NSIS_INSTALLED_ICON_NAME, is the program's own), its
# pictures on the welcome, finish and other pages. Crisp text on a scaled display.
set(CPACK_NSIS_MUI_ICON ${SKETCHBOARD_ICON})
set(CPACK_NSIS_MUI_UNIICON ${SKETCHBOARD_ICON})
set(CPACK_NSIS_MUI_WELCOMEFINISHPAGE_BITMAP ${PROJECT_SOURCE_DIR}/data/installer-welcome.bmp)
set(CPACK_NSIS_MUI_HEADERIMAGE ${PROJECT_SOURCE_DIR}/data/installer-header.bmp)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
# The finish page offers to start the board, in the install folder, where its pictures are (a
# program started by Exec runs in the installer's output folder of the moment).
set(CPACK_NSIS_DEFINES [[
  !define MUI_FINISHPAGE_RUN
  !define MUI_FINISHPAGE_RUN_TEXT "Start sketchboard"
  !define MUI_FINISHPAGE_RUN_FUNCTION sketchboard_start
  Function sketchboard_start
    SetOutPath "$INSTDIR"
    Exec '"$INSTDIR\sketchboard.exe"'
  FunctionEnd]])
# The Start-menu shortcut starts the program in the install folder, where its pictures are: a
# shortcut's working folder is the output path at the moment it is created, so it is set here
# rather than left to whatever the installer last unpacked.
set(CPACK_NSIS_CREATE_ICONS_EXTRA [[
    SetOutPath "$INSTDIR"
    CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\sketchboard.lnk" "$INSTDIR\sketchboard.exe" "" \
      "$INSTDIR\sketchboard.exe" 0]])
set(CPACK_NSIS_DELETE_ICONS_EXTRA [[
    Delete "$SMPROGRAMS\$MUI_TEMP\sketchboard.lnk"]])

# The installer is the same bytes from the same source too: its files go in by name, in name
# order, and no file it holds keeps its date (the pictures of its pages neither; an installed
# file is dated when it is installed). CPack's own lists would follow the order in which the
# file system happens to list the staged files.
string(PREPEND CPACK_NSIS_DEFINES "  SetDateSave off\n")
list(TRANSFORM windows_package_files REPLACE ".*/" "" OUTPUT_VARIABLE installed_names)
list(APPEND installed_names sketchboard.exe)
list(SORT installed_names)
set(CPACK_NSIS_FULL_INSTALL "")
set(CPACK_NSIS_DELETE_FILES "")
foreach(name IN LISTS installed_names)
  string(APPEND CPACK_NSIS_FULL_INSTALL [[  File "${INST_DIR}\]] "${name}\"\n")
  string(APPEND CPACK_NSIS_DELETE_FILES [[  Delete "$INSTDIR\]] "${name}\"\n")
endforeach()
