# Read by cpack, once per package generator: fills in the Debian package's Depends.
#
# dpkg-shlibdeps names the libraries the program needs, with the versions its symbols ask for;
# its entry for SDL names only the runtime the program was linked against, and is replaced with
# CPACK_SKETCHBOARD_SDL_DEPENDS, which accepts either. Without dpkg-shlibdeps, SDL alone is named:
# the C and C++ runtimes are on every Debian system.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

set(depends "")
find_program(sketchboard_dpkg_shlibdeps dpkg-shlibdeps)
if(sketchboard_dpkg_shlibdeps AND EXISTS "${CPACK_SKETCHBOARD_PROGRAM}")
  # dpkg-shlibdeps insists on running in a source package; an empty control file satisfies it.
  file(MAKE_DIRECTORY "${CPACK_SKETCHBOARD_WORK_DIR}/debian")
  file(WRITE "${CPACK_SKETCHBOARD_WORK_DIR}/debian/control" "")
  execute_process(
    COMMAND ${sketchboard_dpkg_shlibdeps} ${CPACK_SKETCHBOARD_SHLIBDEPS_OPTIONS} -O
      "-e${CPACK_SKETCHBOARD_PROGRAM}"
    WORKING_DIRECTORY "${CPACK_SKETCHBOARD_WORK_DIR}"
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "dpkg-shlibdeps failed on ${CPACK_SKETCHBOARD_PROGRAM}:\n${errors}")
  endif()
  string(REGEX MATCH "shlibs:Depends=([^\n]*)" line "${output}")
  string(REPLACE ", " ";" depends "${CMAKE_MATCH_1}")
endif()

set(sdl_seen FALSE)
set(widened "")
foreach(entry IN LISTS depends)
  if(entry MATCHES "^libsdl1\\.2")
    set(entry "${CPACK_SKETCHBOARD_SDL_DEPENDS}")
    set(sdl_seen TRUE)
  endif()
  list(APPEND widened "${entry}")
endforeach()
if(NOT sdl_seen)
  list(APPEND widened "${CPACK_SKETCHBOARD_SDL_DEPENDS}")
endif()
list(JOIN widened ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
