# Run by CPack after it has made the Windows packages (CPACK_POST_BUILD_SCRIPTS): writes the ZIP
# again, its files in name order, all with one date and without the extra fields that carry
# owners and further times, so that the same source gives the same ZIP. CPack stores the files
# in the order the file system lists them, with the times they were built, checked out or
# unpacked.
#
# The date: SOURCE_DATE_EPOCH when set, else the time of the last commit of the source tree,
# else noon (UTC) of the release date.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(date "@$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git -C "${CPACK_SKETCHBOARD_SOURCE_DIR}" log -1 --format=%ct
    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
    RESULT_VARIABLE git_status)
  if(git_status EQUAL 0 AND commit_time MATCHES "^[0-9]+$")
    set(date "@${commit_time}")
  else()
    set(date "${CPACK_SKETCHBOARD_RELEASE_DATE} 12:00 UTC")
  endif()
endif()

foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.zip$")
    continue()
  endif()
  set(unpacked "${CPACK_TOPLEVEL_DIRECTORY}/zip-in-order")
  file(REMOVE_RECURSE "${unpacked}")
  file(ARCHIVE_EXTRACT INPUT "${package}" DESTINATION "${unpacked}")
  file(GLOB_RECURSE entries LIST_DIRECTORIES false RELATIVE "${unpacked}" "${unpacked}/*")
  list(SORT entries)
  list(JOIN entries "\n" listing)
  file(WRITE "${CPACK_TOPLEVEL_DIRECTORY}/zip-in-order.txt" "${listing}\n")
  file(REMOVE "${package}")
  # A ZIP's date is local time: in UTC the same moment gives the same bytes anywhere.
  execute_process(COMMAND touch -d "${date}" -- ${entries}
    WORKING_DIRECTORY "${unpacked}" COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC zip -X -q "${package}" -@
    INPUT_FILE "${CPACK_TOPLEVEL_DIRECTORY}/zip-in-order.txt"
    WORKING_DIRECTORY "${unpacked}" COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE "${unpacked}" "${CPACK_TOPLEVEL_DIRECTORY}/zip-in-order.txt")
endforeach()
