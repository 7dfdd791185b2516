# Sysroots of Debian releases, made by build-sysroot.sh the first time a build needs one (half a
# minute) and kept in a cache shared by every build tree, under a name that carries the release,
# the architecture, what it is for and the script's own hash: a change to what the script puts
# there makes a new one.

# The code name of the release this machine runs, from /etc/os-release (empty elsewhere), and
# its major version (empty on releases without one, such as testing).
cmake_host_system_information(RESULT SKETCHBOARD_HOST_RELEASE QUERY DISTRIB_VERSION_CODENAME)
cmake_host_system_information(RESULT SKETCHBOARD_HOST_RELEASE_VERSION QUERY DISTRIB_VERSION_ID)

# Sets OUT to the folder of the sysroot of RELEASE for ARCH (a Debian architecture), making it
# first if it is missing. With GCC_MAJOR, one to build in with that cross compiler (its C and C++
# libraries' development files, SDL 1.2's headers); without, the runtimes only, to test in.
# Beside OUT's root/, OUT/apt/apt.conf is apt for that release and architecture as on an empty
# system.
function(sketchboard_debian_sysroot out arch release)
  set(gcc_major "${ARGN}")
  if(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
    set(cache "$ENV{XDG_CACHE_HOME}/sketchboard")
  else()
    set(cache "$ENV{HOME}/.cache/sketchboard")
  endif()
  set(script "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/build-sysroot.sh")
  file(SHA256 "${script}" hash)
  string(SUBSTRING "${hash}" 0 12 hash)
  if(gcc_major)
    set(entry "${cache}/sysroot-${release}-${arch}-gcc${gcc_major}-${hash}")
  else()
    set(entry "${cache}/runtime-${release}-${arch}-${hash}")
  endif()
  if(NOT EXISTS "${entry}/root")
    message(STATUS "Making the ${release} ${arch} sysroot in ${entry} (once)")
    execute_process(COMMAND sh "${script}" "${entry}" ${arch} ${release} ${gcc_major}
      COMMAND_ERROR_IS_FATAL ANY)
  endif()
  set(${out} "${entry}" PARENT_SCOPE)
endfunction()

# Sets OUT to the code name of Debian's current stable release when it is newer than this
# machine's, else to nothing: a package built here must install and run there too. Asked of the
# archive once (cmake/debian-suite.sh) and kept in the cache as SKETCHBOARD_NEWER_RELEASE.
function(sketchboard_newer_debian_release out)
  if(NOT DEFINED SKETCHBOARD_NEWER_RELEASE)
    set(newer "")
    if(SKETCHBOARD_HOST_RELEASE_VERSION MATCHES "^[0-9]+")
      execute_process(COMMAND sh "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/debian-suite.sh" stable
        OUTPUT_VARIABLE stable OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "Cannot ask Debian's archive for its stable release, which the "
          "tests install and run the program on: set SKETCHBOARD_NEWER_RELEASE to its code "
          "name, or to nothing to leave those tests out")
      endif()
      string(REPLACE " " ";" stable "${stable}")
      list(GET stable 0 stable_release)
      list(GET stable 1 stable_version)
      if(stable_version VERSION_GREATER_EQUAL SKETCHBOARD_HOST_RELEASE_VERSION
         AND NOT stable_release STREQUAL SKETCHBOARD_HOST_RELEASE)
        set(newer "${stable_release}")
      endif()
    endif()
    set(SKETCHBOARD_NEWER_RELEASE "${newer}" CACHE STRING
      "A newer Debian release (code name) that the packages built here are also tested on")
  endif()
  set(${out} "${SKETCHBOARD_NEWER_RELEASE}" PARENT_SCOPE)
endfunction()
