# Tests of the cross-built programs run under Wine, all in one fresh prefix a test run: the
# fixture "wine_prefix" makes it in the build tree and deletes it afterwards (about 700 MB).
# They hold the resource lock "wine", so that one test ending the wineserver never cuts another
# short.
#
#   sketchboard_tests_under_wine(<test>...)   requires the fixture, takes the lock, and gives the
#                                              tests SKETCHBOARD_WINE_ENVIRONMENT
#   SKETCHBOARD_WINE_RUN                       runs a program under Wine for CTest without CTest
#                                              waiting for Wine's own processes (wine-run.sh); a
#                                              test target's CROSSCOMPILING_EMULATOR

set(SKETCHBOARD_WINE_PREFIX "${PROJECT_BINARY_DIR}/wineprefix")
# mscoree and mshtml off: a fresh prefix would offer to install Mono and Gecko. winemenubuilder
# off: Wine would write menu entries into the home folder of whoever runs the tests.
set(SKETCHBOARD_WINE_ENVIRONMENT
  "WINEPREFIX=${SKETCHBOARD_WINE_PREFIX}"
  WINEARCH=win64
  WINEDEBUG=-all
  "WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe=")

set(SKETCHBOARD_WINE_RUN sh "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh")

set(wine_prefix_script "${CMAKE_CURRENT_LIST_DIR}/wine-prefix.sh")
add_test(NAME wine_prefix_setup COMMAND sh "${wine_prefix_script}" setup)
add_test(NAME wine_prefix_cleanup COMMAND sh "${wine_prefix_script}" cleanup)
set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300)
set_tests_properties(wine_prefix_cleanup PROPERTIES FIXTURES_CLEANUP wine_prefix TIMEOUT 120)
set_tests_properties(wine_prefix_setup wine_prefix_cleanup PROPERTIES
  ENVIRONMENT "${SKETCHBOARD_WINE_ENVIRONMENT}" RESOURCE_LOCK wine LABELS wine)

function(sketchboard_tests_under_wine)
  set_property(TEST ${ARGN} APPEND PROPERTY FIXTURES_REQUIRED wine_prefix)
  set_property(TEST ${ARGN} APPEND PROPERTY RESOURCE_LOCK wine)
  set_property(TEST ${ARGN} APPEND PROPERTY ENVIRONMENT ${SKETCHBOARD_WINE_ENVIRONMENT})
endfunction()
