# Windows forms of the stand-in host's module variants.
#
# On Linux a variant that lacks one host function is the same objects linked
# with a version script that hides the name. A Windows DLL exports every
# function marked dllexport whatever its .def file says, so here a variant is
# a small DLL that forwards all host functions but the omitted one to the
# full host DLL: its export table is exactly the list minus one name, and
# every name it has resolves to the real host function.
function(standin_forwarding_host target host_target omitted_name)
  file(STRINGS ${PROJECT_SOURCE_DIR}/abi/mq_host_functions.inc lines REGEX "^MQ_HOST_(TYPED|UNTYPED)\\(")
  set(names "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^MQ_HOST_TYPED\\([^,]*, *([A-Za-z0-9_]+) *,")
      list(APPEND names ${CMAKE_MATCH_1})
    elseif(line MATCHES "^MQ_HOST_UNTYPED\\(([A-Za-z0-9_]+)\\)")
      list(APPEND names ${CMAKE_MATCH_1})
    endif()
  endforeach()
  list(LENGTH names count)
  if(NOT count EQUAL 177 OR NOT omitted_name IN_LIST names)
    message(FATAL_ERROR "standin_forwarding_host: read ${count} host function names, expected 177 including ${omitted_name}")
  endif()
  list(REMOVE_ITEM names ${omitted_name})

  set(host_module "$<TARGET_FILE_PREFIX:${host_target}>$<TARGET_FILE_BASE_NAME:${host_target}>")
  set(def "LIBRARY ${target}\nEXPORTS\n")
  foreach(name IN LISTS names)
    string(APPEND def "    ${name} = ${host_module}.${name}\n")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${target}.def CONTENT "${def}")
  file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${target}.cpp
    CONTENT "// Forwards the host functions to the full stand-in host; no code of its own.\n")

  add_library(${target} SHARED ${CMAKE_CURRENT_BINARY_DIR}/${target}.cpp ${CMAKE_CURRENT_BINARY_DIR}/${target}.def)
  set_target_properties(${target} PROPERTIES PREFIX "")
  # The forwarded names are resolved in the host DLL when they are looked up.
  add_dependencies(${target} ${host_target})
endfunction()
