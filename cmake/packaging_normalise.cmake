# CPack pre-build script: gives every staged file and folder the date of
# SOURCE_DATE_EPOCH (when set) and fixed permissions (0644 files, 0755
# folders and programs), so that an archive does not depend on when, where or
# with which umask the build ran.
if(NOT CPACK_TEMPORARY_INSTALL_DIRECTORY OR NOT IS_DIRECTORY "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
  message(FATAL_ERROR "packaging: no staging folder (CPACK_TEMPORARY_INSTALL_DIRECTORY)")
endif()
set(stage "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")

file(GLOB_RECURSE files LIST_DIRECTORIES true "${stage}/*")
foreach(path IN LISTS files)
  if(IS_SYMLINK "${path}")
    continue()
  elseif(IS_DIRECTORY "${path}")
    file(CHMOD "${path}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
         GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  elseif(path MATCHES "/bin/[^/]+$")
    file(CHMOD "${path}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
         GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  else()
    file(CHMOD "${path}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
endforeach()

if(DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
    message(FATAL_ERROR "packaging: SOURCE_DATE_EPOCH is not a number of seconds: $ENV{SOURCE_DATE_EPOCH}")
  endif()
  find_program(TOUCH touch REQUIRED)
  list(APPEND files "${stage}")
  foreach(path IN LISTS files)
    execute_process(COMMAND ${TOUCH} -h -d "@$ENV{SOURCE_DATE_EPOCH}" "${path}"
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "packaging: cannot set the date of ${path}")
    endif()
  endforeach()
endif()
