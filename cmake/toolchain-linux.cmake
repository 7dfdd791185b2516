# Cross-builds for Linux on another Debian architecture (cmake --preset arm64, armhf): Debian's
# cross compiler for it, a sysroot of that architecture's packages of the Debian release this
# machine runs, and qemu to run what was built. The preset names the architecture as Debian does
# (SKETCHBOARD_TARGET_ARCH) and, optionally, the processor qemu emulates
# (SKETCHBOARD_EMULATOR_CPU); the rest follows from the name, so that another architecture is
# another preset.
#
# The sysroot's release is the build machine's own: Debian's cross compiler of a release builds
# against that release's C and C++ libraries (its own headers and libstdc++ come first), so what
# it builds runs on that release and the later ones. The sysroot is made by DebianSysroot.cmake.
#
# Defines for the project: SKETCHBOARD_TARGET_MULTIARCH (the libraries' folder name),
# SKETCHBOARD_TARGET_RELEASE (the sysroot's release), SKETCHBOARD_SYSROOT_APT_CONFIG (apt for
# that release of the target) and SKETCHBOARD_EMULATOR (qemu and its options, without the
# sysroot).

if(NOT SKETCHBOARD_TARGET_ARCH)
  message(FATAL_ERROR "Name the Debian architecture to build for: -DSKETCHBOARD_TARGET_ARCH=arm64")
endif()
# The compiler checks' own projects read this file again, with these passed on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SKETCHBOARD_TARGET_ARCH SKETCHBOARD_EMULATOR_CPU)

# What Debian calls the architecture's compiler prefix, library folder and processor.
foreach(variable GNU_TYPE MULTIARCH GNU_CPU)
  execute_process(COMMAND dpkg-architecture -a ${SKETCHBOARD_TARGET_ARCH} -qDEB_HOST_${variable}
    OUTPUT_VARIABLE target_${variable} OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
if(NOT target_GNU_TYPE)
  message(FATAL_ERROR "dpkg-architecture knows no architecture ${SKETCHBOARD_TARGET_ARCH}")
endif()
set(SKETCHBOARD_TARGET_MULTIARCH ${target_MULTIARCH})

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${target_GNU_CPU})
set(CMAKE_LIBRARY_ARCHITECTURE ${target_MULTIARCH})
set(CMAKE_C_COMPILER ${target_GNU_TYPE}-gcc)
set(CMAKE_CXX_COMPILER ${target_GNU_TYPE}-g++)

include(${CMAKE_CURRENT_LIST_DIR}/DebianSysroot.cmake)
set(SKETCHBOARD_TARGET_RELEASE ${SKETCHBOARD_HOST_RELEASE})
if(NOT SKETCHBOARD_TARGET_RELEASE)
  message(FATAL_ERROR "/etc/os-release names no release code name to build against")
endif()
# libstdc++-12-dev, libstdc++-14-dev, ...: the one of the cross compiler's own version.
execute_process(COMMAND ${CMAKE_C_COMPILER} -dumpversion
  OUTPUT_VARIABLE gcc_major OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "[.].*" "" gcc_major "${gcc_major}")
sketchboard_debian_sysroot(sysroot_entry ${SKETCHBOARD_TARGET_ARCH} ${SKETCHBOARD_TARGET_RELEASE}
  ${gcc_major})
set(SKETCHBOARD_SYSROOT_APT_CONFIG "${sysroot_entry}/apt/apt.conf")

# The build tree reaches the sysroot through a link of its own, which follows when a change to
# build-sysroot.sh makes a new sysroot: what configuring found and keeps (SDL's folders) stays
# right. pkg-config reads the sysroot's files only. The compiler checks' own projects, which
# run in this same process, take the sysroot directly and leave pkg-config alone.
set(CMAKE_SYSROOT "${sysroot_entry}/root")
get_property(in_try_compile GLOBAL PROPERTY IN_TRY_COMPILE)
if(NOT in_try_compile)
  file(CREATE_LINK "${CMAKE_SYSROOT}" "${CMAKE_BINARY_DIR}/sysroot" SYMBOLIC)
  set(CMAKE_SYSROOT "${CMAKE_BINARY_DIR}/sysroot")
  set(ENV{PKG_CONFIG_LIBDIR}
    "${CMAKE_SYSROOT}/usr/lib/${target_MULTIARCH}/pkgconfig:${CMAKE_SYSROOT}/usr/share/pkgconfig")
  set(ENV{PKG_CONFIG_PATH} "")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "${CMAKE_SYSROOT}")
endif()

# Headers, libraries and packages from the sysroot only, never the build machine's; programs
# (the build's own tools) from the build machine.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CTest runs the programs under qemu's user-mode emulation, with the sysroot's loader and
# libraries; qemu-<cpu> is qemu-aarch64, qemu-arm, ...
set(SKETCHBOARD_EMULATOR qemu-${target_GNU_CPU})
if(SKETCHBOARD_EMULATOR_CPU)
  list(APPEND SKETCHBOARD_EMULATOR -cpu ${SKETCHBOARD_EMULATOR_CPU})
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${SKETCHBOARD_EMULATOR} -L ${CMAKE_SYSROOT})
