# SDL 1.2 for Windows: Debian ships none for mingw, so it is built from Debian's source package
# the first time a build needs it (by build-windows-sdl.sh, about four minutes) and kept in a
# cache shared by every build tree, under a name that carries the source version and the
# compiler: a change of either builds it again.
#
# Defines SDL::SDL, the imported target the program and the tests link against, and for the
# packages: SKETCHBOARD_SDL_DLL (the SDL.dll the program loads), SKETCHBOARD_SDL_LICENSE (SDL's
# COPYING), SKETCHBOARD_SDL_SOURCE_VERSION (the Debian source package's version) and
# SKETCHBOARD_SDL_SOURCE_FILES (that source package's files, kept with the build: its .dsc, and
# the tarballs the .dsc names).

set(SKETCHBOARD_SDL_SOURCE_VERSION 1.2.15+dfsg2-8)

if(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
  set(sdl_cache_default "$ENV{XDG_CACHE_HOME}/sketchboard")
else()
  set(sdl_cache_default "$ENV{HOME}/.cache/sketchboard")
endif()
set(SKETCHBOARD_SDL_CACHE_DIR "${sdl_cache_default}"
  CACHE PATH "Where SDL 1.2 for Windows is built and kept, one folder per source and compiler")

# CMAKE_C_COMPILER comes from the toolchain file; the project itself enables C++ only.
execute_process(COMMAND ${CMAKE_C_COMPILER} -dumpfullversion
  OUTPUT_VARIABLE sdl_compiler_version OUTPUT_STRIP_TRAILING_WHITESPACE
  COMMAND_ERROR_IS_FATAL ANY)
get_filename_component(sdl_compiler_name "${CMAKE_C_COMPILER}" NAME)
# The recipe's number goes up whenever build-windows-sdl.sh changes what it builds or keeps, so
# that no build trusts a folder made the old way.
set(sdl_recipe 2)
set(SKETCHBOARD_SDL_PREFIX "${SKETCHBOARD_SDL_CACHE_DIR}/sdl-${SKETCHBOARD_SDL_SOURCE_VERSION}-\
${sdl_compiler_name}-${sdl_compiler_version}-r${sdl_recipe}")

if(NOT EXISTS "${SKETCHBOARD_SDL_PREFIX}/bin/SDL.dll")
  message(STATUS "Building SDL ${SKETCHBOARD_SDL_SOURCE_VERSION} for Windows into "
    "${SKETCHBOARD_SDL_PREFIX} (a few minutes, once)")
  execute_process(
    COMMAND sh "${CMAKE_CURRENT_LIST_DIR}/build-windows-sdl.sh" "${SKETCHBOARD_SDL_PREFIX}"
      ${SKETCHBOARD_SDL_SOURCE_VERSION} x86_64-w64-mingw32 ${CMAKE_C_COMPILER}
    COMMAND_ERROR_IS_FATAL ANY)
endif()

set(SKETCHBOARD_SDL_DLL "${SKETCHBOARD_SDL_PREFIX}/bin/SDL.dll")
set(SKETCHBOARD_SDL_LICENSE "${SKETCHBOARD_SDL_PREFIX}/share/doc/SDL/COPYING")
file(GLOB SKETCHBOARD_SDL_SOURCE_FILES LIST_DIRECTORIES false "${SKETCHBOARD_SDL_PREFIX}/source/*")
list(SORT SKETCHBOARD_SDL_SOURCE_FILES)

# SDL.dll, linked dynamically: the LGPL lets a static link only with the program's objects
# offered, and a DLL beside the program stays replaceable by its user.
add_library(SDL::library SHARED IMPORTED)
set_target_properties(SDL::library PROPERTIES
  IMPORTED_LOCATION "${SKETCHBOARD_SDL_DLL}"
  IMPORTED_IMPLIB "${SKETCHBOARD_SDL_PREFIX}/lib/libSDL.dll.a"
  INTERFACE_INCLUDE_DIRECTORIES "${SKETCHBOARD_SDL_PREFIX}/include/SDL")

# SDL's main wrapper: SDL.h renames the program's main to SDL_main, and the wrapper's WinMain
# calls it. The C runtime's main, in libmingw32, calls WinMain, hence the order.
add_library(SDL::main STATIC IMPORTED)
set_target_properties(SDL::main PROPERTIES
  IMPORTED_LOCATION "${SKETCHBOARD_SDL_PREFIX}/lib/libSDLmain.a")

add_library(SDL::SDL INTERFACE IMPORTED)
set_target_properties(SDL::SDL PROPERTIES
  INTERFACE_LINK_LIBRARIES "mingw32;SDL::main;SDL::library")
