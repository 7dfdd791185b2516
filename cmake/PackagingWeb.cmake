# The site, in ${SKETCHBOARD_SITE_DIR} (build-web/site): the page, the program, its service worker
# and web app manifest, the icons and the five pictures, and nothing else. It is put together by
# every build, since the tests serve it; `cpack` zips it as sketchboard-<version>-web.zip.
set(SKETCHBOARD_SITE_DIR ${PROJECT_BINARY_DIR}/site)

# The service worker's cache is named after the version, so that a new version replaces what
# browsers keep.
set(web_out ${PROJECT_BINARY_DIR}/web)
configure_file(${web_dir}/service-worker.js.in ${web_out}/service-worker.js @ONLY)
configure_file(${web_dir}/manifest.webmanifest.in ${web_out}/manifest.webmanifest @ONLY)
set(site_files
  ${web_dir}/index.html
  ${web_dir}/touch_controls.js
  ${web_out}/service-worker.js
  ${web_out}/manifest.webmanifest
  ${PROJECT_SOURCE_DIR}/data/sketchboard-192.png
  ${PROJECT_SOURCE_DIR}/data/sketchboard-512.png
  ${SKETCHBOARD_PICTURES}
  $<TARGET_FILE:sketchboard>
  $<TARGET_FILE_DIR:sketchboard>/sketchboard.wasm
)
add_custom_command(OUTPUT ${SKETCHBOARD_SITE_DIR}/index.html
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${SKETCHBOARD_SITE_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SKETCHBOARD_SITE_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy ${site_files} ${SKETCHBOARD_SITE_DIR}
  DEPENDS ${site_files} sketchboard
  COMMENT "Putting the site together in ${SKETCHBOARD_SITE_DIR}"
  VERBATIM)
add_custom_target(web_site ALL DEPENDS ${SKETCHBOARD_SITE_DIR}/index.html)
# The program is linked again when one of emscripten's SDL mendings changes.
set_property(TARGET sketchboard APPEND PROPERTY LINK_DEPENDS ${web_libraries})

install(DIRECTORY ${SKETCHBOARD_SITE_DIR}/ DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-web)
