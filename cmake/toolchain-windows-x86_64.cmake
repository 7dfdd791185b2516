# Cross-builds for 64-bit Windows with Debian's mingw-w64 compilers (cmake --preset windows).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(sketchboard_mingw x86_64-w64-mingw32)
# The posix thread model: with the win32 one, GCC 12's standard library has no std::mutex or
# std::thread.
set(CMAKE_C_COMPILER ${sketchboard_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${sketchboard_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${sketchboard_mingw}-windres)

# Libraries, headers and packages come from the cross compiler's root only, never the host's;
# programs (the build's own tools) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${sketchboard_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CTest runs the cross-built programs through Wine.
find_program(SKETCHBOARD_WINE wine)
if(SKETCHBOARD_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SKETCHBOARD_WINE})
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()
