# The protections Debian builds its own packages with, for the builds that ship: stack
# protector, fortified C library calls, a position-independent program, and a read-only global
# offset table with every symbol bound at start-up. They are on unless the build is one that
# measures or instruments the program (sanitizers, fuzzing, benchmarks), which stays as it was.
# They are ELF linker flags; a Windows program gets its own protections (ASLR, DEP) from the
# mingw-w64 linker's defaults; a WebAssembly program's code and return addresses lie outside the
# memory it can write, and its linker knows none of these flags.
include(CMakeDependentOption)
cmake_dependent_option(SKETCHBOARD_HARDEN "Build with Debian's hardening flags" ON
  "NOT WIN32;NOT EMSCRIPTEN;NOT SKETCHBOARD_SANITIZE;NOT SKETCHBOARD_FUZZ;NOT SKETCHBOARD_BENCHMARKS"
  OFF)

if(SKETCHBOARD_HARDEN)
  add_compile_options(-fstack-protector-strong)
  # The fortified calls are chosen by the optimiser; without optimisation the C library only
  # warns that it cannot fortify anything.
  add_compile_options(
    "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  include(CheckPIESupported)
  check_pie_supported()
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
