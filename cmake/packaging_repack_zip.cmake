# CPack post-build script: re-creates each ZIP package from the staged files
# so that the archive depends on the staged files alone. CPack's ZIP writer
# stores entries in the order the file system lists them and records the
# packer's user and group IDs; this one stores the entries sorted by name,
# with no extra fields (zip -X), and with DOS times in UTC (the staged files
# carry SOURCE_DATE_EPOCH, see packaging_normalise.cmake).
if(NOT CPACK_GENERATOR STREQUAL "ZIP")
  return()
endif()
find_program(VEXOLIN_ZIP zip)
if(NOT VEXOLIN_ZIP)
  message(FATAL_ERROR "packaging: 'zip' is needed to write a reproducible archive (apt-get install zip)")
endif()
set(stage "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
file(GLOB_RECURSE entries RELATIVE "${stage}" "${stage}/*")
list(SORT entries COMPARE STRING)
if(entries STREQUAL "")
  message(FATAL_ERROR "packaging: nothing staged in ${stage}")
endif()
string(REPLACE ";" "\n" listing "${entries}")
file(WRITE "${stage}.entries" "${listing}\n")

foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.zip$")
    continue()
  endif()
  file(REMOVE "${package}.new")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env TZ=UTC LC_ALL=C
            ${VEXOLIN_ZIP} -X -D -q -9 "${package}.new" -@
    WORKING_DIRECTORY "${stage}"
    INPUT_FILE "${stage}.entries"
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "packaging: zip could not re-create ${package}")
  endif()
  file(RENAME "${package}.new" "${package}")
endforeach()
